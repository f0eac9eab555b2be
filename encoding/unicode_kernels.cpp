// Which vector paths there are: the build's, narrowed to what the processor runs, found out once.
#include "encoding/unicode_kernels.h"

namespace {

std::vector<VectorPath> FindVectorPaths() {
    std::vector<VectorPath> paths{VectorPath::None};
#ifdef VEMKO_VECTORS_SSSE3
    if (!__builtin_cpu_supports("ssse3")) return paths;
    paths.push_back(VectorPath::Ssse3);
#endif
#ifdef VEMKO_VECTORS_WIDE
    if (!__builtin_cpu_supports("avx2")) return paths;
    paths.push_back(VectorPath::Avx2);
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2"))
        paths.push_back(VectorPath::Avx512);
#endif
    return paths;
}

}  // namespace

const std::vector<VectorPath>& AvailableVectorPaths() {
    static const std::vector<VectorPath> paths = FindVectorPaths();
    return paths;
}

namespace unicode {

Kernel Utf8ToSingleByteKernel(VectorPath path) {
    switch (path) {
#ifdef VEMKO_VECTORS_SSSE3
    case VectorPath::Ssse3: return Utf8ToSingleByteSsse3;
#endif
#ifdef VEMKO_VECTORS_WIDE
    case VectorPath::Avx2: return Utf8ToSingleByteAvx2;
    case VectorPath::Avx512: return Utf8ToSingleByteAvx512;
#endif
    default: return nullptr;
    }
}

Kernel SingleByteToUtf8Kernel(VectorPath path) {
    switch (path) {
#ifdef VEMKO_VECTORS_SSSE3
    case VectorPath::Ssse3: return SingleByteToUtf8Ssse3;
#endif
#ifdef VEMKO_VECTORS_WIDE
    case VectorPath::Avx2: return SingleByteToUtf8Avx2;
    case VectorPath::Avx512: return SingleByteToUtf8Avx512;
#endif
    default: return nullptr;
    }
}

}  // namespace unicode
