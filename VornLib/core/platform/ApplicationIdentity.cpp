#include "VornLib/core/platform/ApplicationIdentity.h"

namespace vorn {
namespace {

ApplicationIdentity& Identity() {
    static ApplicationIdentity identity;
    return identity;
}

} // namespace

const ApplicationIdentity& CurrentApplication() {
    return Identity();
}

void SetCurrentApplication(const ApplicationIdentity& identity) {
    Identity() = identity;
}

} // namespace vorn
