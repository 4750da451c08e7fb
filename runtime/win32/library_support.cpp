// The C++ library's failure paths, defined here so that the static link of the programs leaves
// out the parts of the library that only serve texts nobody sees in a window program.
//
// - The default terminate handler prints the type of the exception, demangled, to the standard
//   error stream, which a window program does not have; with it come the demangler and printf.
//   Ours ends the process as that handler does after printing.
// - The library's own throw points (std::vector growth, std::string construction, std::function
//   calls, ...) build exceptions whose message lives in a reference-counted string type of the
//   old library ABI; that pulls in every member of both string types and their dependencies.
//   Here the ones without a message are thrown as before, and the ones with a message as a
//   std::exception carrying the text. The runtime handles both alike: an exception leaving a
//   handler is an internal error or, for std::bad_alloc, "out of memory".
//
// Every function of the library's object that defines these throw points is defined here, so the
// linker never needs that object: a throw point missing here would show as a duplicate definition
// at link time, never as a silent change.
#include <cstdlib>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

class LibraryError final : public std::exception {
public:
    explicit LibraryError(const char* message) noexcept : message_(message) {}
    const char* what() const noexcept override { return message_; }

private:
    const char* message_;
};

}  // namespace

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    std::abort();
}

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }

void __throw_logic_error(const char* message) { throw LibraryError(message); }
void __throw_domain_error(const char* message) { throw LibraryError(message); }
void __throw_invalid_argument(const char* message) { throw LibraryError(message); }
void __throw_length_error(const char* message) { throw LibraryError(message); }
void __throw_out_of_range(const char* message) { throw LibraryError(message); }
void __throw_runtime_error(const char* message) { throw LibraryError(message); }
void __throw_range_error(const char* message) { throw LibraryError(message); }
void __throw_overflow_error(const char* message) { throw LibraryError(message); }
void __throw_underflow_error(const char* message) { throw LibraryError(message); }

// The format's arguments are left out of the text: no one reads it.
void __throw_out_of_range_fmt(const char* format, ...) { throw LibraryError(format); }

}  // namespace std
