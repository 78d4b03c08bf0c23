#include "db/Libpq.h"

#include <dlfcn.h>

void* LibpqFunction(const char* name) {
    void* library = dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
    return library ? dlsym(library, name) : nullptr;
}
