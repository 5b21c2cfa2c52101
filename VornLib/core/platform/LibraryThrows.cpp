// The C++ library's throwing functions (a container asked for more than it
// can hold, a lock the system refuses): the framework is built without
// exceptions, so nothing would catch what they throw, and the end of the
// program follows. These end it at once, as that end does: with abort. The
// library's own bring the exception classes, their strings and the error
// categories into every program (about 60 KB of each setup).
// Linked into each shipped program itself (cmake/VornProgram.cmake), where it
// comes before the library, unless the program needs the library's part that
// holds them for something else: a program using std::filesystem needs its
// error categories, and the link would find two of __throw_system_error.
#include <bits/functexcept.h>
#include <cstdlib>

namespace std {

#define VORN_ENDS_THE_PROGRAM(declaration)                                                         \
    [[noreturn]] void declaration {                                                                \
        std::abort();                                                                              \
    }

VORN_ENDS_THE_PROGRAM(__throw_bad_exception())
VORN_ENDS_THE_PROGRAM(__throw_bad_alloc())
VORN_ENDS_THE_PROGRAM(__throw_bad_array_new_length())
VORN_ENDS_THE_PROGRAM(__throw_bad_cast())
VORN_ENDS_THE_PROGRAM(__throw_bad_typeid())
VORN_ENDS_THE_PROGRAM(__throw_bad_function_call())
VORN_ENDS_THE_PROGRAM(__throw_logic_error(const char*))
VORN_ENDS_THE_PROGRAM(__throw_domain_error(const char*))
VORN_ENDS_THE_PROGRAM(__throw_invalid_argument(const char*))
VORN_ENDS_THE_PROGRAM(__throw_length_error(const char*))
VORN_ENDS_THE_PROGRAM(__throw_out_of_range(const char*))
VORN_ENDS_THE_PROGRAM(__throw_out_of_range_fmt(const char*, ...))
VORN_ENDS_THE_PROGRAM(__throw_runtime_error(const char*))
VORN_ENDS_THE_PROGRAM(__throw_range_error(const char*))
VORN_ENDS_THE_PROGRAM(__throw_overflow_error(const char*))
VORN_ENDS_THE_PROGRAM(__throw_underflow_error(const char*))
VORN_ENDS_THE_PROGRAM(__throw_system_error(int))

#undef VORN_ENDS_THE_PROGRAM

} // namespace std
