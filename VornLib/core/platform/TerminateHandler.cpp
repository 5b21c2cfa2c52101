// What the C++ library does when a program must end (an allocation it cannot
// meet, a container asked for more than it can hold): the framework throws
// no exceptions, so there is no type to name and nobody to read it. The
// library's own handler prints the type's name first, and brings its name
// decoder into every program for that (about 45 KB of each setup). This one
// ends the program as that handler does after printing: with abort.
// Linked into each shipped program itself (cmake/VornProgram.cmake), where it
// comes before the library.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

} // namespace __gnu_cxx
