#include "elevation/gdallibrary.h"

#include <dlfcn.h>

namespace {

// Every function, or null: a library that lacks one is not the one built for.
GdalLibrary* Load()
{
    // Never closed: GDAL frees its driver state itself when the process ends.
    void* library = ::dlopen(VANTOREL_GDAL_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    static GdalLibrary gdal;
#define VANTOREL_GDAL_RESOLVE(name)                                                                                    \
    gdal.name = reinterpret_cast<decltype(&::name)>(::dlsym(library, #name));                                          \
    if (!gdal.name)                                                                                                    \
        return nullptr;
    VANTOREL_GDAL_FUNCTIONS(VANTOREL_GDAL_RESOLVE)
#undef VANTOREL_GDAL_RESOLVE
    return &gdal;
}

}  // namespace

/* Quiet (the viewer reports what matters), with no side files read or
 * written next to the user's tiles, and only the driver the products need.
 * GDAL frees its driver state itself when the library unloads; an exit
 * handler of ours calling GDALDestroy ran before GDAL's own statics were done
 * with and corrupted the heap. */
const GdalLibrary* Gdal()
{
    static const GdalLibrary* const gdal = [] {
        GdalLibrary* loaded = Load();
        if (loaded) {
            loaded->CPLSetErrorHandler(loaded->CPLQuietErrorHandler);
            loaded->CPLSetConfigOption("GDAL_DISABLE_READDIR_ON_OPEN", "EMPTY_DIR");
            loaded->CPLSetConfigOption("GDAL_PAM_ENABLED", "NO");
            loaded->CPLSetConfigOption("GTIFF_IGNORE_WORLD_FILE", "YES");
            loaded->GDALRegister_GTiff();
        }
        return loaded;
    }();
    return gdal;
}
