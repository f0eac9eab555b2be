#pragma once
// The tool's files: inputs read in blocks, and outputs that replace a regular file only when every
// byte is written.
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "encoding/line_ends.h"

// A file could not be read or written: the exit status is 1.
struct IoError {
    std::string file;
    int error;
};

// Blocks of a megabyte: few system calls, still within the processor's cache.
constexpr std::size_t kBlockSize = 1 << 20;

// A buffer for blocks, aligned to a page (the kernel copies into an aligned buffer several times
// faster than into an unaligned one) and, where the system offers them, in huge pages.
class Block {
public:
    explicit Block(std::size_t size = kBlockSize);
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    ~Block();
    char* data() { return data_; }
    std::size_t size() const { return size_; }

private:
    char* data_;
    std::size_t size_;
};

// Removes a temporary file left beside OUT when the program is stopped by a signal.
void RemoveTemporaryOnSignals();

// A file, or standard input when the path is missing or "-".
class Input {
public:
    explicit Input(const std::optional<std::string>& path);
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    ~Input();

    const std::string& Name() const { return name_; }

    // Windows renames nothing over a file that is still open.
    void Close();

    // Up to `size` bytes; fewer only at the end of the input.
    std::size_t Read(char* buffer, std::size_t size);

    // The start of the input, read now and given again by the next reads.
    std::string Peek(std::size_t size);

    // `expected`: the size to make room for at once, when known.
    std::string ReadAll(std::size_t expected = 0);

private:
    std::string name_;
    FILE* file_ = nullptr;
    bool owned_ = false;
    std::string unread_;
};

// Where OUT's bytes finally land: the file at the end of its chain of symbolic links, so that a link
// stays a link and its target gets the text (a dangling link's target is made).
std::filesystem::path FinalTarget(const std::string& path);

// Standard output; a special file (device, FIFO) written through; or a new file beside a regular
// OUT that takes OUT's place only when every byte is written, so that OUT is never left half-written.
class Output {
public:
    enum class Special { WriteThrough, Refuse };

    explicit Output(const std::optional<std::string>& path, Special special = Special::WriteThrough);
    // Takes every byte and keeps none: a dry run's output, named `name`.
    struct Discard {};
    Output(Discard, const std::string& name) : name_(name), discard_(true) {}
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    ~Output();

    const std::string& Name() const { return name_; }

    void Write(const char* bytes, std::size_t size);
    void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
    // From now on every line break written is made `kind`, in the units of the text written.
    void ConvertLineEnds(LineEndKind kind, LineBreakUnits units);

    // The replaced OUT's modification time goes to the new file before it takes OUT's place.
    void KeepModificationTime() { keepTime_ = true; }

    void Commit();

private:
    void WriteAsIs(const char* bytes, std::size_t size);
    void OpenTemporary(bool replacing);
    void Adopt(int fd);
    // Whole blocks go straight to the system; a stdio buffer would only split them.
    void Unbuffer() { std::setvbuf(file_, nullptr, _IONBF, 0); }

    std::string name_;
    std::string target_;
    std::string temporary_;
    FILE* file_ = nullptr;
    bool committed_ = false;
    bool discard_ = false;
    bool keepTime_ = false;
    std::optional<LineEndKind> lineEnd_;
    LineBreakUnits lineBreakUnits_ = LineBreakUnits::Bytes;
    std::string heldForLineEnd_;  // the end of what was written, which the next bytes decide
};
