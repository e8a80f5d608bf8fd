// What the shipped programs use instead of the C++ runtime's exception machinery.
//
// voQ throws and catches nothing: it is built without exceptions. The standard
// library still reports an exhausted heap or a misused string (longer than
// max_size, a position past the end) by throwing, and with nobody to catch, the
// runtime ends the process through its terminate handler and abort(). Linking that
// path brings in the whole machinery: the unwinder, the terminate handler with its
// name demangler and printf, the exception classes with a second string library,
// and the thread library they lock with. That was more than a third of the image.
//
// These definitions end the process the same way, with abort(), at the point of
// the throw. The standard lets a program replace operator new and delete; the
// __throw_ functions are where GCC's standard library raises its exceptions, and
// the linker takes a program's own definition before the library's. Should the
// library one day need one more of them, the link fails loudly (the library's
// definitions would come in beside these), never silently.
#include <cstddef>
#include <cstdlib>
#include <new>

void* operator new(std::size_t size) {
  // Zero bytes still give a distinct pointer, as the standard asks.
  if (void* block = std::malloc(size != 0 ? size : 1)) return block;
  std::abort();
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace std {

[[noreturn]] void __throw_bad_alloc() { std::abort(); }
[[noreturn]] void __throw_bad_array_new_length() { std::abort(); }
[[noreturn]] void __throw_length_error(const char*) { std::abort(); }
[[noreturn]] void __throw_logic_error(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }

}  // namespace std
