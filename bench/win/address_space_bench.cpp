// How much memory a process of this build can hold: the largest single block (a text lives in one
// contiguous buffer) and the total in 256 MB blocks, as the system reports its address space. In
// the i686 build this is the product's large-address-aware space (under qemu-i386 and 32-bit Wine
// too). Prints figures; not a test.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main() {
    constexpr std::size_t kMegabyte = std::size_t{1} << 20;
    std::size_t largest = 0;
    for (std::size_t megabytes = sizeof(void*) == 4 ? 4095 : 16384; megabytes >= 16; megabytes -= 16) {
        if (void* block = std::malloc(megabytes * kMegabyte)) {
            std::free(block);
            largest = megabytes;
            break;
        }
    }
    std::vector<void*> blocks;
    while (blocks.size() < 64)
        if (void* block = std::malloc(256 * kMegabyte)) blocks.push_back(block); else break;
    MEMORYSTATUSEX status{sizeof status};
    GlobalMemoryStatusEx(&status);
    std::printf("largest single block: %zu MB\n256 MB blocks: %zu (%zu MB)\naddress space (ullTotalVirtual): %llu MB\n",
                largest, blocks.size(), blocks.size() * 256, status.ullTotalVirtual / kMegabyte);
    for (void* block : blocks) std::free(block);
}
