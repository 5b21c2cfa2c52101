#include <gtest/gtest.h>

#include "VornLib/core/Result.h"

namespace vorn {
namespace {

TEST(SystemErrorMapping, KnownErrorsMapToTheirCodes) {
    const struct {
        uint32_t error;
        uint32_t result;
    } cases[] = {
        {0, 0},      {2, 29},    {3, 31},    {5, 17},     {8, 12},    {32, 27},    {87, 5},
        {6, 35},     {18, 20},   {123, 38},  {112, 13},   {183, 14},  {206, 31},   {1392, 22},
        {1407, 38},  {1223, 8},  {120, 2},   {145, 21},   {21, 18},   {23, 22},    {126, 29},
        {1114, 7},   {14001, 7}, {193, 33},  {10061, 17}, {10057, 4}, {10060, 9},  {10053, 4},
        {10054, 4},  {10058, 4}, {10014, 5}, {10048, 14}, {10038, 4}, {11001, 29}, {12180, 7},
        {12150, 29}, {12152, 7}, {12005, 5}, {12007, 7},  {12017, 8}, {12002, 9},  {12006, 33},
        {12029, 7},
    };
    static_assert(sizeof(cases) / sizeof(cases[0]) == 43);
    for (const auto& c : cases)
        EXPECT_EQ(c.result, ResultFromSystemError(c.error)) << c.error;
}

TEST(SystemErrorMapping, UnknownErrorsAreGenericFailures) {
    for (uint32_t error : {1u, 4u, 999u, 12001u, 0xFFFFFFFFu})
        EXPECT_EQ(1u, ResultFromSystemError(error)) << error;
}

} // namespace
} // namespace vorn
