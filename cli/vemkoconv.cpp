// vemkoconv: the editor's conversions, transforms, alignment and code page guess on files, through the
// very functions the editor calls, and conversions to and from UTF-8 with encoding detection through
// the core's Unicode conversion. Only argument handling and I/O live here.
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <new>
#include <optional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "document/code_page_guess.h"
#include "encoding/code_page_tables.h"
#include "encoding/encoding_detection.h"
#include "encoding/line_ends.h"
#include "encoding/transforms.h"
#include "encoding/unicode_conversion.h"

#ifndef O_BINARY
#define O_BINARY 0
#endif

namespace {

constexpr const char* kVersion = "vemkoconv 1.1";
// Blocks of a megabyte, aligned to a page: few system calls, still within the processor's cache, and
// the kernel copies into an aligned buffer several times faster than into an unaligned one.
constexpr std::size_t kBlockSize = 1 << 20;
constexpr std::align_val_t kBlockAlignment{4096};

// Exit statuses besides 0, 1 (a file could not be read or written) and 2 (bad usage).
constexpr int kReplacedStatus = 3;
constexpr int kUnknownStatus = 4;

constexpr const char* kUsage =
    "Usage:\n"
    "  vemkoconv convert -f FROM -t TO [--exact] [-o OUT] [IN...]\n"
    "  vemkoconv convert -f FROM|auto -t TO -i FILE...\n"
    "  vemkoconv detect [FILE...]\n"
    "  vemkoconv guess [FILE...]\n"
    "  vemkoconv transform fido|translit|qp|bare-cr [-c CP] [-o OUT] [IN]\n"
    "  vemkoconv align justify|centre|left|right [--ig] [--li N] [--fi N] [--ri N] [--crlf|--lf] [-o OUT] [IN]\n"
    "  vemkoconv -l | --list | --help | --version | COMMAND --help\n"
    "\n"
    "convert    converts the IN files, joined in order, from FROM to TO (auto: detected).\n"
    "detect     names the encoding of each FILE: 1251 866 koi8r iso mac utf-8 ascii, or unknown.\n"
    "guess      prints FILE, a tab and the code page the editor would show the file in.\n"
    "transform  fido: to 866 with Latin H and p; translit: Cyrillic letters to Latin;\n"
    "           qp: decodes =XX; bare-cr: a LF after every CR that lacks one.\n"
    "align      lays out the paragraphs again, keeping the input's line ends.\n"
    "\n"
    "Encodings: 1251, 866, koi8r, iso, mac, utf-8, utf-16le, utf-16be (-l lists their other names).\n"
    "IN and OUT default to standard input and output; FILE too where it is optional.\n"
    "\n"
    "Exit status: 0 done; 1 a file could not be read or written; 2 bad usage; 3 done, but characters\n"
    "the target lacks or malformed input were replaced by '?'; 4 an encoding could not be told.\n";

constexpr const char* kConvertHelp =
    "Usage: vemkoconv convert -f FROM -t TO [--exact] [-o OUT] [IN...]\n"
    "       vemkoconv convert -f FROM|auto -t TO -i FILE...\n"
    "\n"
    "  -f, --from-code=NAME   the encoding of the input; auto detects it for each file\n"
    "  -t, --to-code=NAME     the encoding to write\n"
    "  -o, --output=OUT       the output (standard output when not given or -); a regular OUT is\n"
    "                         replaced only when all is written, a device or FIFO is written into\n"
    "  -i, --in-place         converts each FILE into itself (written beside, then renamed over it;\n"
    "                         its mode is kept; special files are refused) and prints a line a file:\n"
    "                         name, encoding it was, encoding it became, characters replaced\n"
    "      --exact            between two code pages: by the charts through Unicode, not as the\n"
    "                         editor does through 866\n"
    "\n"
    "Between two code pages the conversion is the editor's (through 866, every byte kept). To and from\n"
    "UTF-8 and UTF-16 (and with --exact) it follows the published charts; a character the target lacks,\n"
    "a byte the source leaves unassigned and each byte of malformed input become '?', stderr says how\n"
    "many, and the exit status is 3. A byte order mark at the start is dropped; UTF-16 output gets one.\n";

constexpr const char* kDetectHelp =
    "Usage: vemkoconv detect [FILE...]\n"
    "\n"
    "Prints for each FILE (standard input when none) a line: the name, a tab, the encoding and, after\n"
    "another tab, the confidence (0-1). The encoding is one of 1251 866 koi8r iso mac utf-8 ascii, from\n"
    "the letters and letter pairs of Russian text; ascii is a file with no byte above 0x7F; one that\n"
    "cannot be told is unknown (exit status 4). Only the first 64 KB of a file are read.\n";

constexpr const char* kGuessHelp =
    "Usage: vemkoconv guess [FILE...]\n"
    "\n"
    "Prints for each FILE (standard input when none) the name, a tab and the code page (1251, 866 or\n"
    "koi8r) that the editor shows the file in on load, by the editor's own rule.\n";

constexpr const char* kTransformHelp =
    "Usage: vemkoconv transform fido|translit|qp|bare-cr [-c CP] [-o OUT] [IN]\n"
    "\n"
    "  fido      to 866 with Latin H and p\n"
    "  translit  Cyrillic letters to Latin\n"
    "  qp        decodes =XX\n"
    "  bare-cr   a LF after every CR that lacks one\n"
    "  -c CP     the view code page the text is in: 1251, 866 or koi8r (fido and translit need it)\n";

constexpr const char* kAlignHelp =
    "Usage: vemkoconv align justify|centre|left|right [options] [-o OUT] [IN]\n"
    "\n"
    "  --ig      all lines make one paragraph\n"
    "  --li N    the left indent\n"
    "  --fi N    the first-line indent\n"
    "  --ri N    the right margin (default 80)\n"
    "  --crlf    end lines with CR LF\n"
    "  --lf      end lines with LF\n"
    "\n"
    "Without --crlf or --lf the lines end as the input's do: LF when it has LF line ends and no CR LF,\n"
    "CR LF otherwise. A blank line ends a paragraph.\n";

struct UsageError {
    std::string message;
};

struct IoError {
    std::string file;
    int error;
};

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

struct EncodingNames {
    TextEncoding encoding;
    const char* name;  // the one the tool prints
    std::initializer_list<const char*> aliases;
};

const EncodingNames kEncodingNames[] = {
    {TextEncoding::Cp1251, "1251", {"cp1251", "windows-1251", "win-1251", "ms-cyrl"}},
    {TextEncoding::Cp866, "866", {"cp866", "ibm866", "ibm-866", "csibm866", "dos-866"}},
    {TextEncoding::Koi8R, "koi8r", {"koi8-r", "koi8_r", "cp878", "cskoi8r"}},
    {TextEncoding::Iso8859_5, "iso", {"iso-8859-5", "iso8859-5", "iso_8859-5", "iso88595", "cyrillic", "cp28595"}},
    {TextEncoding::MacCyrillic, "mac", {"maccyrillic", "mac-cyrillic", "x-mac-cyrillic", "cp10007"}},
    {TextEncoding::Utf8, "utf-8", {"utf8"}},
    {TextEncoding::Utf16LE, "utf-16le", {"utf16le"}},
    {TextEncoding::Utf16BE, "utf-16be", {"utf16be"}},
};

std::optional<TextEncoding> ParseEncoding(std::string_view name) {
    const std::string n = Lower(name);
    for (const EncodingNames& e : kEncodingNames) {
        if (n == e.name) return e.encoding;
        for (const char* alias : e.aliases)
            if (n == alias) return e.encoding;
    }
    return std::nullopt;
}

const char* EncodingName(TextEncoding encoding) {
    for (const EncodingNames& e : kEncodingNames)
        if (e.encoding == encoding) return e.name;
    return "?";
}

void PrintList() {
    for (const EncodingNames& e : kEncodingNames) {
        std::printf("%s", e.name);
        for (const char* alias : e.aliases) std::printf(" %s", alias);
        std::printf("\n");
    }
}

const char* GuessName(int codePage) {
    static const char* const kNames[] = {"1251", "866", "koi8r"};
    return kNames[codePage];
}

// The command's arguments after its name: options with their values, and the plain arguments.
class Arguments {
public:
    Arguments(int argc, char** argv, int first) {
        for (int i = first; i < argc; ++i) args_.emplace_back(argv[i]);
    }

    // Takes the options this command knows; `withValue` lists those that take a value, `aliases` the
    // long names of short ones.
    void Parse(std::initializer_list<std::string_view> withValue, std::initializer_list<std::string_view> flags,
               std::initializer_list<std::pair<std::string_view, std::string_view>> aliases = {}) {
        bool optionsEnded = false;
        for (std::size_t i = 0; i < args_.size(); ++i) {
            const std::string& arg = args_[i];
            if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
                plain_.push_back(arg);
                continue;
            }
            if (arg == "--") {
                optionsEnded = true;
                continue;
            }
            std::string name = arg, value;
            bool inlineValue = false;
            if (std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
                name = arg.substr(0, eq);
                value = arg.substr(eq + 1);
                inlineValue = true;
            }
            for (const auto& [longName, shortName] : aliases)
                if (name == longName) name = shortName;
            if (Contains(flags, name) && !inlineValue) {
                options_.emplace_back(name, "");
            } else if (Contains(withValue, name)) {
                if (!inlineValue) {
                    if (i + 1 == args_.size()) throw UsageError{"option " + name + " needs a value"};
                    value = args_[++i];
                }
                options_.emplace_back(name, value);
            } else {
                throw UsageError{"unknown option " + arg};
            }
        }
    }

    bool AsksForHelp() const {
        for (const std::string& arg : args_) {
            if (arg == "--") return false;
            if (arg == "--help" || arg == "-h") return true;
        }
        return false;
    }

    std::optional<std::string> Option(std::string_view name) const {
        std::optional<std::string> found;
        for (const auto& [n, v] : options_)
            if (n == name) found = v;
        return found;
    }
    const std::vector<std::string>& Plain() const { return plain_; }

private:
    static bool Contains(std::initializer_list<std::string_view> names, std::string_view name) {
        for (std::string_view n : names)
            if (n == name) return true;
        return false;
    }
    std::vector<std::string> args_;
    std::vector<std::pair<std::string, std::string>> options_;
    std::vector<std::string> plain_;
};

std::int32_t ParseNumber(std::string_view option, const std::string& text) {
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
        throw UsageError{std::string(option) + " needs a whole number, not '" + text + "'"};
    return static_cast<std::int32_t>(value);
}

class Block {
public:
    explicit Block(std::size_t size = kBlockSize)
        : data_(static_cast<char*>(::operator new(size, kBlockAlignment))), size_(size) {}
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    ~Block() { ::operator delete(data_, kBlockAlignment); }
    char* data() { return data_; }
    std::size_t size() const { return size_; }

private:
    char* data_;
    std::size_t size_;
};

// The temporary file being written beside OUT; removed when the program is stopped by a signal.
char* volatile g_pendingTemporary = nullptr;

void RemoveTemporaryAndExit(int signal) {
    if (char* path = g_pendingTemporary) ::remove(path);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

class Input {
public:
    explicit Input(const std::optional<std::string>& path) {
        if (!path || *path == "-") {
            name_ = "standard input";
            file_ = stdin;
            return;
        }
        name_ = *path;
        file_ = std::fopen(path->c_str(), "rb");
        if (!file_) throw IoError{name_, errno};
        owned_ = true;
    }
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    ~Input() {
        if (owned_) std::fclose(file_);
    }

    const std::string& Name() const { return name_; }

    // Windows renames nothing over a file that is still open.
    void Close() {
        if (owned_) std::fclose(file_);
        owned_ = false;
    }

    // Up to `size` bytes; fewer only at the end of the input.
    std::size_t Read(char* buffer, std::size_t size) {
        std::size_t got = std::min(size, unread_.size());
        std::memcpy(buffer, unread_.data(), got);
        unread_.erase(0, got);
        while (got < size) {
            std::size_t n = std::fread(buffer + got, 1, size - got, file_);
            got += n;
            if (n == 0) {
                if (std::ferror(file_)) throw IoError{name_, errno ? errno : EIO};
                break;
            }
        }
        return got;
    }

    // The start of the input, read now and given again by the next reads.
    std::string Peek(std::size_t size) {
        std::string start(size, '\0');
        start.resize(Read(start.data(), size));
        unread_ = start + unread_;
        return start;
    }

    std::string ReadAll() {
        std::string all;
        Block block;
        while (std::size_t n = Read(block.data(), block.size())) all.append(block.data(), n);
        return all;
    }

private:
    std::string name_;
    FILE* file_ = nullptr;
    bool owned_ = false;
    std::string unread_;
};

// Where OUT's bytes finally land: the file at the end of its chain of symbolic links, so that a link
// stays a link and its target gets the text (a dangling link's target is made).
std::filesystem::path FinalTarget(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path target = path;
    for (int hops = 0;; ++hops) {
        std::error_code ec;
        fs::file_status status = fs::symlink_status(target, ec);
        if (ec || !fs::is_symlink(status)) return target;
        if (hops == 40) throw IoError{path, ELOOP};
        fs::path link = fs::read_symlink(target, ec);
        if (ec) throw IoError{path, ec.value()};
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
}

// Standard output; a special file (device, FIFO) written through; or a new file beside a regular
// OUT that takes OUT's place only when every byte is written, so that OUT is never left half-written.
class Output {
public:
    enum class Special { WriteThrough, Refuse };

    explicit Output(const std::optional<std::string>& path, Special special = Special::WriteThrough) {
        if (!path || *path == "-") {
            name_ = "standard output";
            file_ = stdout;
            Unbuffer();
            return;
        }
        name_ = *path;
        namespace fs = std::filesystem;
        target_ = FinalTarget(name_).string();
        std::error_code ec;
        fs::file_status status = fs::status(target_, ec);
        if (fs::is_directory(status)) throw IoError{name_, EISDIR};
        if (fs::exists(status) && !fs::is_regular_file(status)) {
            // Replacing a device or a FIFO with a regular file would break whatever reads it.
            if (special == Special::Refuse) throw IoError{name_, ENOTSUP};
            int fd = ::open(target_.c_str(), O_WRONLY | O_BINARY);
            if (fd < 0) throw IoError{name_, errno};
            Adopt(fd);
            Unbuffer();
            return;
        }
        std::random_device random;
        for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
            char suffix[32];
            std::snprintf(suffix, sizeof suffix, ".vemkoconv-%08x.tmp", static_cast<unsigned>(random()));
            temporary_ = target_ + suffix;
            int fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY, 0666);
            if (fd < 0) {
                if (errno == EEXIST) continue;
                throw IoError{name_, errno};
            }
            g_pendingTemporary = temporary_.data();
            Adopt(fd);
        }
        if (!file_) throw IoError{name_, EEXIST};
        Unbuffer();
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    ~Output() {
        if (file_ && file_ != stdout) std::fclose(file_);
        if (!temporary_.empty() && !committed_) {  // leave OUT as it was
            g_pendingTemporary = nullptr;
            ::remove(temporary_.c_str());
        }
    }

    const std::string& Name() const { return name_; }

    void Write(const char* bytes, std::size_t size) {
        if (size && std::fwrite(bytes, 1, size, file_) != size) throw IoError{name_, errno ? errno : EIO};
    }
    void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }

    void Commit() {
        FILE* file = file_;
        file_ = nullptr;
        if (file == stdout) {
            if (std::fflush(file) != 0) throw IoError{name_, errno ? errno : EIO};
            return;
        }
        int closed = std::fclose(file);
        int error = errno;
        if (temporary_.empty()) {
            if (closed != 0) throw IoError{name_, error ? error : EIO};
            return;
        }
        namespace fs = std::filesystem;
        std::error_code ec;
        if (closed == 0) {
            // An existing OUT keeps its permissions.
            fs::file_status old = fs::status(target_, ec);
            if (!ec && fs::exists(old)) fs::permissions(temporary_, old.permissions(), ec);
            ec.clear();
            fs::rename(temporary_, target_, ec);
            error = ec.value();
        }
        g_pendingTemporary = nullptr;
        if (closed != 0 || ec) {
            ::remove(temporary_.c_str());
            committed_ = true;
            throw IoError{name_, error ? error : EIO};
        }
        committed_ = true;
    }

private:
    void Adopt(int fd) {
        file_ = ::fdopen(fd, "wb");
        if (file_) return;
        int error = errno;
        ::close(fd);
        if (!temporary_.empty()) {
            g_pendingTemporary = nullptr;
            ::remove(temporary_.c_str());
        }
        throw IoError{name_, error};
    }
    // Whole blocks go straight to the system; a stdio buffer would only split them.
    void Unbuffer() { std::setvbuf(file_, nullptr, _IONBF, 0); }

    std::string name_;
    std::string target_;
    std::string temporary_;
    FILE* file_ = nullptr;
    bool committed_ = false;
};

std::optional<std::string> SingleInput(const Arguments& args, std::size_t firstPlain) {
    const auto& plain = args.Plain();
    if (plain.size() > firstPlain + 1) throw UsageError{"more than one input file: " + plain[firstPlain + 1]};
    if (plain.size() == firstPlain + 1) return plain[firstPlain];
    return std::nullopt;
}

// The input files in order; standard input when there are none.
std::vector<std::optional<std::string>> Inputs(const Arguments& args) {
    std::vector<std::optional<std::string>> inputs(args.Plain().begin(), args.Plain().end());
    if (inputs.empty()) inputs.emplace_back();
    return inputs;
}

TextEncoding RequiredEncoding(const Arguments& args, std::string_view option) {
    std::optional<std::string> name = args.Option(option);
    if (!name) throw UsageError{"missing " + std::string(option) + " ENCODING"};
    std::optional<TextEncoding> encoding = ParseEncoding(*name);
    if (!encoding) throw UsageError{"unknown encoding '" + *name + "' (vemkoconv -l lists them)"};
    return *encoding;
}

ConversionCodePage RequiredCodePage(const Arguments& args, std::string_view option) {
    TextEncoding encoding = RequiredEncoding(args, option);
    if (!IsSingleByte(encoding)) throw UsageError{std::string(option) + " takes a code page, not " + EncodingName(encoding)};
    return static_cast<ConversionCodePage>(encoding);
}

// Converts in blocks: memory stays at one block whatever the size of the input.
void RunMapped(const ConversionMap& map, Input& in, Output& out) {
    Block block;
    while (std::size_t n = in.Read(block.data(), block.size())) {
        ApplyConversion(map, reinterpret_cast<std::uint8_t*>(block.data()), n);
        out.Write(block.data(), n);
    }
}

// Runs one job at a time on a thread of its own, so that a block is read or written while another is
// converted.
class Worker {
public:
    // Without a thread (the system has none to give) the jobs run in the caller, one after another.
    Worker() {
        try {
            thread_ = std::thread([this] { Serve(); });
        } catch (const std::system_error&) {
        }
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;
    // Lets the job in hand finish: it works on buffers that outlive the worker.
    ~Worker() {
        if (!thread_.joinable()) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    void Start(std::function<void()> job) {
        if (!thread_.joinable()) {
            try {
                job();
            } catch (...) {
                error_ = std::current_exception();
            }
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            job_ = std::move(job);
        }
        changed_.notify_all();
    }

    // Waits until the job is done; throws what it threw.
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !job_; });
        if (std::exception_ptr error = std::exchange(error_, nullptr)) std::rethrow_exception(error);
    }

private:
    void Serve() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return job_ || stopping_; });
            if (!job_) return;
            lock.unlock();
            std::exception_ptr error;
            try {
                job_();
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            job_ = nullptr;
            error_ = error;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> job_;
    std::exception_ptr error_;
    bool stopping_ = false;
    std::thread thread_;
};

// The same through Unicode; a character cut by a block's end is carried to the front of the next.
// The next block is read and the last one written while this one is converted: the system's copies
// into and out of its file cache cost as much as the conversion.
void RunUnicode(UnicodeConversion& conversion, Input& in, Output& out) {
    // Room for the carried bytes in front of each block, which keeps the block itself page-aligned.
    constexpr std::size_t kCarry = static_cast<std::size_t>(kBlockAlignment);
    constexpr std::size_t kOutput = UnicodeConversion::MaxOutput(kBlockSize + kCarry);
    Block inputs[2] = {Block(kCarry + kBlockSize), Block(kCarry + kBlockSize)};
    Block outputs[2] = {Block(kOutput), Block(kOutput)};
    std::size_t got[2] = {};
    // Declared after the buffers: they finish their jobs before the buffers go.
    Worker reader, writer;
    auto read = [&](int i) { reader.Start([&, i] { got[i] = in.Read(inputs[i].data() + kCarry, kBlockSize); }); };
    read(0);
    std::size_t held = 0;
    for (int i = 0;; i ^= 1) {
        reader.Wait();
        const std::size_t n = got[i];
        const bool atEnd = n < kBlockSize;
        if (!atEnd) read(i ^ 1);
        const char* start = inputs[i].data() + kCarry - held;
        UnicodeConversion::Step step =
            conversion.Convert(reinterpret_cast<const std::uint8_t*>(start), held + n, atEnd, outputs[i].data());
        writer.Wait();
        writer.Start([&, i, written = step.written] { out.Write(outputs[i].data(), written); });
        if (atEnd) break;
        held = held + n - step.consumed;
        // In front of the block being read: the reader does not touch it.
        std::memcpy(inputs[i ^ 1].data() + kCarry - held, start + step.consumed, held);
    }
    writer.Wait();
}

// What a file's encoding was found to be: an encoding, or pure ASCII (nullopt).
struct Detected {
    bool known = false;
    std::optional<TextEncoding> encoding;
    double confidence = 0;
};

Detected DetectInput(Input& in) {
    const std::string sample = in.Peek(kDetectionSample);
    Detection detection = DetectEncoding(sample, sample.size() < kDetectionSample);
    Detected result;
    result.confidence = detection.confidence;
    result.known = detection.kind != Detection::Kind::Unknown;
    if (detection.kind == Detection::Kind::Encoding) result.encoding = detection.encoding;
    return result;
}

struct UnknownEncoding {
    std::string file;
};

// Converts one input into `out`; returns the characters replaced.
std::uint64_t ConvertInput(Input& in, std::optional<TextEncoding> from, TextEncoding to, bool exact, Output& out,
                           UnicodeConversion*& shared) {
    if (!from) {
        Detected detected = DetectInput(in);
        if (!detected.known) throw UnknownEncoding{in.Name()};
        // ASCII reads the same in every code page and in UTF-8.
        from = detected.encoding.value_or(IsSingleByte(to) ? to : TextEncoding::Utf8);
        if (*from == to && to != TextEncoding::Utf8) {
            RunMapped(ComposeConversion(kNoTable, kNoTable), in, out);
            return 0;
        }
        shared = nullptr;  // each file gets a conversion of its own
    }
    if (IsSingleByte(*from) && IsSingleByte(to) && !exact) {
        RunMapped(ConversionBetween(static_cast<ConversionCodePage>(*from), static_cast<ConversionCodePage>(to)), in,
                  out);
        return 0;
    }
    if (shared) {
        const std::uint64_t before = shared->Replaced();
        RunUnicode(*shared, in, out);
        return shared->Replaced() - before;
    }
    UnicodeConversion conversion(*from, to);
    RunUnicode(conversion, in, out);
    return conversion.Replaced();
}

void ReportReplaced(std::uint64_t replaced) {
    if (replaced == 0) return;
    std::fflush(stdout);
    std::fprintf(stderr, "vemkoconv: %" PRIu64 " character%s replaced by '?'\n", replaced, replaced == 1 ? "" : "s");
}

void PrintError(const std::string& file, const std::string& message) {
    std::fflush(stdout);
    std::fprintf(stderr, "vemkoconv: %s: %s\n", file.c_str(), message.c_str());
}

int ConvertInPlace(const Arguments& args, std::optional<TextEncoding> from, TextEncoding to, bool exact) {
    if (args.Option("-o")) throw UsageError{"-i and -o do not go together"};
    if (args.Plain().empty()) throw UsageError{"-i needs at least one FILE"};
    bool failed = false, unknown = false, replacedAny = false;
    for (const std::string& file : args.Plain()) {
        try {
            if (file == "-") throw UsageError{"-i cannot convert standard input in place"};
            namespace fs = std::filesystem;
            std::error_code ec;
            fs::file_status status = fs::status(FinalTarget(file), ec);
            if (ec) throw IoError{file, ec.value()};
            if (!fs::is_regular_file(status)) {
                PrintError(file, "not a regular file, left alone");
                failed = true;
                continue;
            }
            Input in(file);
            std::optional<TextEncoding> was = from;
            bool ascii = false;
            if (!was) {
                Detected detected = DetectInput(in);
                if (!detected.known) throw UnknownEncoding{file};
                was = detected.encoding;
                ascii = !was;
                if (ascii) was = IsSingleByte(to) ? to : TextEncoding::Utf8;
            }
            std::uint64_t replaced = 0;
            // Detected as already in the target (or ASCII, the same in all): the file is left as it is.
            const bool unchanged = !from && (*was == to || (ascii && to != TextEncoding::Utf16LE && to != TextEncoding::Utf16BE));
            if (!unchanged) {
                Output out(file, Output::Special::Refuse);
                UnicodeConversion* none = nullptr;
                replaced = ConvertInput(in, was, to, exact, out, none);
                in.Close();
                out.Commit();
            }
            replacedAny |= replaced > 0;
            std::printf("%s\t%s\t%s\t%" PRIu64 "\n", file.c_str(), ascii ? "ascii" : EncodingName(*was),
                        unchanged ? (ascii ? "ascii" : EncodingName(*was)) : EncodingName(to), replaced);
        } catch (const IoError& e) {
            PrintError(e.file, std::strerror(e.error));
            failed = true;
        } catch (const UnknownEncoding& e) {
            PrintError(e.file, "cannot tell the encoding, left alone");
            unknown = true;
        }
    }
    if (std::fflush(stdout) != 0) throw IoError{"standard output", errno};
    return failed ? 1 : unknown ? kUnknownStatus : replacedAny ? kReplacedStatus : 0;
}

int Convert(const Arguments& args) {
    std::optional<TextEncoding> from;
    if (auto name = args.Option("-f"); !name || Lower(*name) != "auto") from = RequiredEncoding(args, "-f");
    const TextEncoding to = RequiredEncoding(args, "-t");
    const bool exact = args.Option("--exact").has_value();
    if (args.Option("-i")) return ConvertInPlace(args, from, to, exact);

    // Every input opens before the output does, so a missing one leaves OUT as it was.
    std::vector<std::unique_ptr<Input>> inputs;
    for (const auto& path : Inputs(args)) inputs.push_back(std::make_unique<Input>(path));
    Output out(args.Option("-o"));
    std::optional<UnicodeConversion> conversion;
    UnicodeConversion* shared = nullptr;
    if (from && !(IsSingleByte(*from) && IsSingleByte(to) && !exact)) shared = &conversion.emplace(*from, to);
    std::uint64_t replaced = 0;
    try {
        for (auto& in : inputs) replaced += ConvertInput(*in, from, to, exact, out, shared);
    } catch (const UnknownEncoding& e) {
        PrintError(e.file, "cannot tell the encoding (give it with -f)");
        return kUnknownStatus;
    }
    inputs.clear();
    out.Commit();
    ReportReplaced(replaced);
    return replaced ? kReplacedStatus : 0;
}

// A transform that may hold back a byte or two at a block's end until the next block shows what
// they mean.
template <typename Append>
void RunStreamed(Input& in, Output& out, Append append) {
    Block block;
    std::string pending, result;
    while (std::size_t n = in.Read(block.data(), block.size())) {
        pending.append(block.data(), n);
        result.clear();
        pending.erase(0, append(pending, false, result));
        out.Write(result);
    }
    result.clear();
    append(pending, true, result);
    out.Write(result);
}

int Transform(const Arguments& args) {
    const auto& plain = args.Plain();
    if (plain.empty()) throw UsageError{"missing transform: fido, translit, qp or bare-cr"};
    const std::string kind = Lower(plain[0]);
    if (kind != "fido" && kind != "translit" && kind != "qp" && kind != "bare-cr")
        throw UsageError{"unknown transform '" + plain[0] + "'"};
    int view = kAnsi1251;
    if (args.Option("-c") || kind == "fido" || kind == "translit") {
        view = RequiredCodePage(args, "-c");
        if (view > kKoi8R) throw UsageError{"-c takes a view code page: 1251, 866 or koi8r"};
    }
    std::optional<std::string> inPath = SingleInput(args, 1);
    Input in(inPath);
    Output out(args.Option("-o"));
    if (kind == "fido") {
        RunMapped(ComposeConversion(FromTable[view], FidoTarget), in, out);
    } else if (kind == "translit") {
        RunStreamed(in, out, [view](std::string_view text, bool, std::string& result) {
            AppendTransliterated(text, view, result);
            return text.size();
        });
    } else if (kind == "qp") {
        RunStreamed(in, out, AppendQuotedPrintableDecoded);
    } else {
        RunStreamed(in, out, AppendBareCrRepaired);
    }
    in.Close();
    out.Commit();
    return 0;
}

int Align(const Arguments& args) {
    const auto& plain = args.Plain();
    if (plain.empty()) throw UsageError{"missing alignment: justify, centre, left or right"};
    const std::string kind = Lower(plain[0]);
    Alignment alignment;
    if (kind == "justify") alignment = Alignment::Justify;
    else if (kind == "centre" || kind == "center") alignment = Alignment::Centre;
    else if (kind == "left") alignment = Alignment::Left;
    else if (kind == "right") alignment = Alignment::Right;
    else throw UsageError{"unknown alignment '" + plain[0] + "'"};
    if (args.Option("--crlf") && args.Option("--lf")) throw UsageError{"--crlf and --lf do not go together"};
    ParagraphSettings settings;
    settings.ignoreLineBreaks = args.Option("--ig") ? 1 : 0;
    if (auto v = args.Option("--li")) settings.leftIndent = ParseNumber("--li", *v);
    if (auto v = args.Option("--fi")) settings.firstLineIndent = ParseNumber("--fi", *v);
    if (auto v = args.Option("--ri")) settings.rightMargin = ParseNumber("--ri", *v);
    std::optional<std::string> inPath = SingleInput(args, 1);
    Input in(inPath);
    Output out(args.Option("-o"));
    // Paragraphs reach over the whole range, so the text is aligned in one piece. The alignment knows
    // only CR LF line ends: a LF alone would join its lines and lose the blank line after a paragraph.
    const std::string text = in.ReadAll();
    LineEnd lineEnd = args.Option("--crlf") ? LineEnd::CrLf : args.Option("--lf") ? LineEnd::Lf : LineEndOf(text);
    std::string aligned = AlignParagraphs(WithCrLf(text), alignment, settings);
    out.Write(lineEnd == LineEnd::Lf ? WithLf(aligned) : aligned);
    in.Close();
    out.Commit();
    return 0;
}

std::vector<std::string> FilesOrStandardInput(const Arguments& args) {
    std::vector<std::string> files = args.Plain();
    if (files.empty()) files.emplace_back("-");
    return files;
}

int Guess(const Arguments& args) {
    int status = 0;
    std::vector<char> sample(kCodePageGuessWindow);
    for (const std::string& file : FilesOrStandardInput(args)) {
        try {
            Input in(file);
            std::size_t n = in.Read(sample.data(), sample.size());
            int codePage = GuessCodePage(reinterpret_cast<const unsigned char*>(sample.data()), n);
            std::printf("%s\t%s\n", file.c_str(), GuessName(codePage));
        } catch (const IoError& e) {
            PrintError(e.file, std::strerror(e.error));
            status = 1;
        }
    }
    if (std::fflush(stdout) != 0) throw IoError{"standard output", errno};
    return status;
}

int Detect(const Arguments& args) {
    bool failed = false, unknown = false;
    for (const std::string& file : FilesOrStandardInput(args)) {
        try {
            Input in(file);
            Detected detected = DetectInput(in);
            const char* name = !detected.known ? "unknown" : detected.encoding ? EncodingName(*detected.encoding) : "ascii";
            std::printf("%s\t%s\t%.2f\n", file.c_str(), name, detected.confidence);
            unknown |= !detected.known;
        } catch (const IoError& e) {
            PrintError(e.file, std::strerror(e.error));
            failed = true;
        }
    }
    if (std::fflush(stdout) != 0) throw IoError{"standard output", errno};
    return failed ? 1 : unknown ? kUnknownStatus : 0;
}

int Run(int argc, char** argv) {
    if (argc < 2) throw UsageError{"missing command (try --help)"};
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "--version") {
        std::puts(kVersion);
        return 0;
    }
    if (command == "-l" || command == "--list") {
        PrintList();
        return 0;
    }
    Arguments args(argc, argv, 2);
    auto help = [&args](const char* text) {
        if (!args.AsksForHelp()) return false;
        std::fputs(text, stdout);
        return true;
    };
    if (command == "convert") {
        if (help(kConvertHelp)) return 0;
        args.Parse({"-f", "-t", "-o"}, {"-i", "--exact"},
                   {{"--from-code", "-f"}, {"--to-code", "-t"}, {"--output", "-o"}, {"--in-place", "-i"}});
        return Convert(args);
    }
    if (command == "detect") {
        if (help(kDetectHelp)) return 0;
        args.Parse({}, {});
        return Detect(args);
    }
    if (command == "guess") {
        if (help(kGuessHelp)) return 0;
        args.Parse({}, {});
        return Guess(args);
    }
    if (command == "transform") {
        if (help(kTransformHelp)) return 0;
        args.Parse({"-c", "-o"}, {}, {{"--output", "-o"}});
        return Transform(args);
    }
    if (command == "align") {
        if (help(kAlignHelp)) return 0;
        args.Parse({"--li", "--fi", "--ri", "-o"}, {"--ig", "--crlf", "--lf"}, {{"--output", "-o"}});
        return Align(args);
    }
    throw UsageError{"unknown command '" + command + "' (try --help)"};
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::signal(SIGINT, RemoveTemporaryAndExit);
    std::signal(SIGTERM, RemoveTemporaryAndExit);
#ifdef SIGHUP
    std::signal(SIGHUP, RemoveTemporaryAndExit);
#endif
    try {
        return Run(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "vemkoconv: %s\n", e.message.c_str());
        return 2;
    } catch (const IoError& e) {
        std::fprintf(stderr, "vemkoconv: %s: %s\n", e.file.c_str(), std::strerror(e.error));
        return 1;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vemkoconv: not enough memory\n");
        return 1;
    }
}
