// The ports' virtual destructors bring deleting destructors that name this; nothing of the
// program is ever allocated with new, so it is never called.

#include <cstddef>

void operator delete(void*) noexcept {}
void operator delete(void*, std::size_t) noexcept {}
