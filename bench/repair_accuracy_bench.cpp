// How often `vemkoconv repair` restores a damaged Russian text and how often it changes an undamaged
// one. Reads a corpus of Russian UTF-8 texts (documents separated by NUL bytes; bench/repair_accuracy.sh
// makes it from texts the letter statistics were not learned from), takes whole documents and pieces
// of 60-200 Russian letters, damages each by every chain of one mis-reading and by a few of two, and
// counts the texts that come back. A text comes back when the repaired text is the original, or,
// where the damage lost characters, what undoing the very chain gives. The same texts undamaged, in
// each encoding, must come back unchanged. Usage:
//   repair_accuracy_bench CORPUS [texts of each kind]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "encoding/mojibake_repair.h"
#include "bench/judging_corpus.h"

namespace {

constexpr RepairEncoding kUtf8 = RepairEncoding::Utf8;
constexpr RepairEncoding kWritten[] = {RepairEncoding::Utf8,  RepairEncoding::Cp1251,    RepairEncoding::Koi8R,
                                       RepairEncoding::Cp866, RepairEncoding::Iso8859_5, RepairEncoding::MacCyrillic};
constexpr RepairEncoding kRead[] = {RepairEncoding::Utf8,      RepairEncoding::Cp1251, RepairEncoding::Western,
                                    RepairEncoding::Koi8R,     RepairEncoding::Cp866,  RepairEncoding::Iso8859_5,
                                    RepairEncoding::MacCyrillic};

// Documents chosen at random.
std::vector<std::string> Wholes(const std::string& corpus, std::size_t count, std::mt19937& random) {
    std::vector<std::string> all = Documents(corpus, 60);
    std::shuffle(all.begin(), all.end(), random);
    if (all.size() > count) all.resize(count);
    return all;
}

MisreadingChain Chain(std::initializer_list<Misreading> steps) {
    MisreadingChain chain;
    for (const Misreading& s : steps) chain.steps[chain.length++] = s;
    chain.now = chain.steps[chain.length - 1].savedAs;
    return chain;
}

struct Tally {
    std::size_t texts = 0, restored = 0, unknown = 0, lossy = 0;
    void Add(const Tally& t) {
        texts += t.texts;
        restored += t.restored;
        unknown += t.unknown;
        lossy += t.lossy;
    }
};

double Share(std::size_t part, std::size_t whole) { return whole ? 100.0 * double(part) / double(whole) : 0; }

Tally Judge(const std::vector<std::string>& texts, const MisreadingChain& chain, double& seconds) {
    Tally t;
    for (const std::string& text : texts) {
        const std::string written = UndoMisreadings(text, MisreadingChain{0, {}, kUtf8}, chain.Original());
        std::uint64_t lost = 0;
        const std::string damaged = DoMisreadings(written, chain, &lost);
        // The original as its own encoding has it (a manual page may hold characters KOI8-R lacks).
        const std::string expected = lost ? UndoMisreadings(damaged, chain, kUtf8)
                                          : UndoMisreadings(written, MisreadingChain{0, {}, chain.Original()}, kUtf8);
        const auto start = std::chrono::steady_clock::now();
        const RepairFinding finding = FindMisreadings(damaged, true);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++t.texts;
        t.lossy += lost > 0;
        if (finding.kind == RepairFinding::Kind::Unknown)
            ++t.unknown;
        else if (UndoMisreadings(damaged, finding.chain, kUtf8) == expected)
            ++t.restored;
    }
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: repair_accuracy_bench CORPUS [texts of each kind]\n");
        return 2;
    }
    const std::string corpus = ReadFile(argv[1]);
    const std::size_t count = argc > 2 ? std::stoul(argv[2]) : 200;
    std::mt19937 random(2026);
    const std::vector<std::string> kinds[] = {Wholes(corpus, count, random), Pieces(Joined(corpus), 60, 200, count, random)};
    const char* const kindNames[] = {"whole", "60-200"};
    std::printf("corpus: %zu bytes; %zu whole documents and %zu pieces of 60-200 letters\n", corpus.size(),
                kinds[0].size(), kinds[1].size());
    double seconds = 0;
    std::size_t runs = 0;

    // Undamaged, in each encoding: any repair is a harm.
    std::printf("\nundamaged texts changed (and said unknown), of %zu each:\n", 2 * count);
    for (RepairEncoding e : kWritten) {
        std::size_t changed = 0, unknown = 0;
        for (const auto& texts : kinds)
            for (const std::string& text : texts) {
                const std::string written = UndoMisreadings(text, MisreadingChain{0, {}, kUtf8}, e);
                const RepairFinding f = FindMisreadings(written, true);
                changed += f.kind == RepairFinding::Kind::Repair;
                unknown += f.kind == RepairFinding::Kind::Unknown;
            }
        std::printf("  %-6s %zu (%zu)\n", RepairEncodingName(e), changed, unknown);
    }

    const MisreadingChain common[] = {
        Chain({{kUtf8, RepairEncoding::Cp1251, kUtf8}}),
        Chain({{kUtf8, RepairEncoding::Western, kUtf8}}),
        Chain({{kUtf8, RepairEncoding::Cp866, kUtf8}}),
        Chain({{kUtf8, RepairEncoding::Koi8R, kUtf8}}),
        Chain({{kUtf8, RepairEncoding::MacCyrillic, kUtf8}}),
        Chain({{RepairEncoding::Koi8R, RepairEncoding::Cp1251, kUtf8}}),
        Chain({{RepairEncoding::Cp866, RepairEncoding::Cp1251, kUtf8}}),
        Chain({{RepairEncoding::Cp1251, RepairEncoding::Cp866, kUtf8}}),
        Chain({{RepairEncoding::Cp1251, RepairEncoding::Koi8R, kUtf8}}),
        Chain({{RepairEncoding::MacCyrillic, RepairEncoding::Cp866, kUtf8}}),
        Chain({{RepairEncoding::Cp1251, RepairEncoding::MacCyrillic, kUtf8}}),
        Chain({{RepairEncoding::Iso8859_5, RepairEncoding::Cp1251, kUtf8}}),
        Chain({{RepairEncoding::Cp1251, RepairEncoding::Koi8R, RepairEncoding::Cp1251}}),
        Chain({{RepairEncoding::Koi8R, RepairEncoding::Cp1251, RepairEncoding::Koi8R}}),
        Chain({{RepairEncoding::Cp866, RepairEncoding::Cp1251, RepairEncoding::Cp866}}),
        Chain({{kUtf8, RepairEncoding::Cp1251, kUtf8}, {kUtf8, RepairEncoding::Cp1251, kUtf8}}),
        Chain({{kUtf8, RepairEncoding::Western, kUtf8}, {kUtf8, RepairEncoding::Western, kUtf8}}),
        Chain({{kUtf8, RepairEncoding::Cp1251, kUtf8}, {kUtf8, RepairEncoding::Western, kUtf8}}),
        Chain({{RepairEncoding::Koi8R, RepairEncoding::Cp1251, kUtf8}, {kUtf8, RepairEncoding::Cp1251, kUtf8}}),
        Chain({{RepairEncoding::Cp1251, RepairEncoding::Cp866, RepairEncoding::Cp1251},
               {RepairEncoding::Cp1251, RepairEncoding::Koi8R, kUtf8}}),
    };
    std::printf("\nrestored %% (said unknown %%; texts whose damage lost characters), whole / 60-200:\n");
    for (const MisreadingChain& chain : common) {
        std::printf("  %-64s", DescribeChain(chain).c_str());
        for (const auto& texts : kinds) {
            const Tally t = Judge(texts, chain, seconds);
            runs += t.texts;
            std::printf("  %6.2f %% (%.2f; %zu)", Share(t.restored, t.texts), Share(t.unknown, t.texts), t.lossy);
        }
        std::printf("\n");
    }

    // Every chain of one mis-reading, apart by whether the damage lost characters.
    std::printf("\nevery chain of one mis-reading (%s), worst chains below 97 %%:\n",
                "written in one of 6, read as one of the 6 others or 1252, saved in one of 6 but the reading's");
    Tally all[2][2];  // [kind][lossy]
    for (RepairEncoding written : kWritten)
        for (RepairEncoding readAs : kRead) {
            if (readAs == written) continue;
            for (RepairEncoding savedAs : kWritten) {
                if (savedAs == readAs) continue;
                const MisreadingChain chain = Chain({{written, readAs, savedAs}});
                for (int k = 0; k < 2; ++k) {
                    const Tally t = Judge(kinds[k], chain, seconds);
                    runs += t.texts;
                    all[k][t.lossy * 2 > t.texts].Add(t);
                    if (Share(t.restored, t.texts) < 97)
                        std::printf("  %-6s %-44s %6.2f %% (%.2f; %zu lossy)\n", kindNames[k], DescribeChain(chain).c_str(),
                                    Share(t.restored, t.texts), Share(t.unknown, t.texts), t.lossy);
                }
            }
        }
    for (int k = 0; k < 2; ++k)
        for (int lossy = 0; lossy < 2; ++lossy)
            std::printf("  %-6s %-8s chains: %zu texts, %.2f %% restored (%.2f %% unknown)\n", kindNames[k],
                        lossy ? "lossy" : "lossless", all[k][lossy].texts, Share(all[k][lossy].restored, all[k][lossy].texts),
                        Share(all[k][lossy].unknown, all[k][lossy].texts));
    std::printf("\n%.2f ms a damaged text to find its chain\n", 1e3 * seconds / double(runs));
    return 0;
}
