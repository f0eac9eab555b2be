// vemkoconv: the editor's conversions, transforms, alignment and code page guess on files, through the
// very functions the editor calls. Only argument handling and I/O live here.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "document/code_page_guess.h"
#include "encoding/code_page_tables.h"
#include "encoding/transforms.h"

#ifndef O_BINARY
#define O_BINARY 0
#endif

namespace {

constexpr const char* kVersion = "vemkoconv 1.0";
// Blocks that stay in the processor's cache, aligned to a page: the kernel copies into such a buffer
// several times faster than into a larger or unaligned one.
constexpr std::size_t kBlockSize = 1 << 18;
constexpr std::align_val_t kBlockAlignment{4096};

constexpr const char* kUsage =
    "Usage:\n"
    "  vemkoconv convert -f FROM -t TO [-o OUT] [IN]\n"
    "  vemkoconv guess FILE...\n"
    "  vemkoconv transform fido|translit|qp|bare-cr [-c CP] [-o OUT] [IN]\n"
    "  vemkoconv align justify|centre|left|right [--ig] [--li N] [--fi N] [--ri N] [-o OUT] [IN]\n"
    "  vemkoconv --help | --version\n"
    "\n"
    "convert    converts IN from code page FROM to code page TO through 866, as the editor does.\n"
    "guess      prints FILE, a tab and the code page the editor would show the file in.\n"
    "transform  fido: to 866 with Latin H and p; translit: Cyrillic letters to Latin;\n"
    "           qp: decodes =XX; bare-cr: a LF after every CR that lacks one.\n"
    "           CP is the view code page the text is in (fido and translit need it).\n"
    "align      lays out the paragraphs again: --ig makes all lines one paragraph, --li the left\n"
    "           indent, --fi the first-line indent, --ri the right margin (default 80).\n"
    "\n"
    "Code pages: 1251 (cp1251, windows-1251), 866 (cp866, ibm866), koi8r (koi8-r),\n"
    "            iso (iso-8859-5), mac (maccyrillic, x-mac-cyrillic); convert takes all five,\n"
    "            -c only the first three. IN and OUT default to standard input and output.\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 bad usage.\n";

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

std::optional<ConversionCodePage> ParseCodePage(std::string_view name) {
    const std::string n = Lower(name);
    if (n == "1251" || n == "cp1251" || n == "windows-1251") return kAnsi1251;
    if (n == "866" || n == "cp866" || n == "ibm866") return kOem866;
    if (n == "koi8r" || n == "koi8-r") return kKoi8R;
    if (n == "iso" || n == "iso-8859-5") return kIso8859_5;
    if (n == "mac" || n == "maccyrillic" || n == "x-mac-cyrillic") return kMacCyrillic;
    return std::nullopt;
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

    // Takes the options this command knows; `withValue` lists those that take a value.
    void Parse(std::initializer_list<std::string_view> withValue, std::initializer_list<std::string_view> flags) {
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
    Block() : data_(static_cast<char*>(::operator new(kBlockSize, kBlockAlignment))) {}
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    ~Block() { ::operator delete(data_, kBlockAlignment); }
    char* data() { return data_; }
    std::size_t size() const { return kBlockSize; }

private:
    char* data_;
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

    // Up to `size` bytes; fewer only at the end of the input.
    std::size_t Read(char* buffer, std::size_t size) {
        std::size_t got = 0;
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

ConversionCodePage RequiredCodePage(const Arguments& args, std::string_view option) {
    std::optional<std::string> name = args.Option(option);
    if (!name) throw UsageError{"missing " + std::string(option) + " CODEPAGE"};
    std::optional<ConversionCodePage> codePage = ParseCodePage(*name);
    if (!codePage) throw UsageError{"unknown code page '" + *name + "'"};
    return *codePage;
}

// Converts in blocks: memory stays at one block whatever the size of the input.
void RunMapped(const ConversionMap& map, Input& in, Output& out) {
    Block block;
    while (std::size_t n = in.Read(block.data(), block.size())) {
        ApplyConversion(map, reinterpret_cast<std::uint8_t*>(block.data()), n);
        out.Write(block.data(), n);
    }
}

int Convert(const Arguments& args) {
    ConversionCodePage from = RequiredCodePage(args, "-f");
    ConversionCodePage to = RequiredCodePage(args, "-t");
    std::optional<std::string> inPath = SingleInput(args, 0);
    Input in(inPath);
    Output out(args.Option("-o"));
    RunMapped(ConversionBetween(from, to), in, out);
    out.Commit();
    return 0;
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
    ParagraphSettings settings;
    settings.ignoreLineBreaks = args.Option("--ig") ? 1 : 0;
    if (auto v = args.Option("--li")) settings.leftIndent = ParseNumber("--li", *v);
    if (auto v = args.Option("--fi")) settings.firstLineIndent = ParseNumber("--fi", *v);
    if (auto v = args.Option("--ri")) settings.rightMargin = ParseNumber("--ri", *v);
    std::optional<std::string> inPath = SingleInput(args, 1);
    Input in(inPath);
    Output out(args.Option("-o"));
    // Paragraphs reach over the whole range, so the text is aligned in one piece.
    out.Write(AlignParagraphs(in.ReadAll(), alignment, settings));
    out.Commit();
    return 0;
}

int Guess(const Arguments& args) {
    const auto& files = args.Plain();
    if (files.empty()) throw UsageError{"guess needs at least one FILE"};
    int status = 0;
    std::vector<char> sample(kCodePageGuessWindow);
    for (const std::string& file : files) {
        try {
            Input in(file);
            std::size_t n = in.Read(sample.data(), sample.size());
            int codePage = GuessCodePage(reinterpret_cast<const unsigned char*>(sample.data()), n);
            std::printf("%s\t%s\n", file.c_str(), GuessName(codePage));
        } catch (const IoError& e) {
            std::fflush(stdout);
            std::fprintf(stderr, "vemkoconv: %s: %s\n", e.file.c_str(), std::strerror(e.error));
            status = 1;
        }
    }
    if (std::fflush(stdout) != 0) throw IoError{"standard output", errno};
    return status;
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
    Arguments args(argc, argv, 2);
    if (command == "convert") {
        args.Parse({"-f", "-t", "-o"}, {});
        return Convert(args);
    }
    if (command == "guess") {
        args.Parse({}, {});
        return Guess(args);
    }
    if (command == "transform") {
        args.Parse({"-c", "-o"}, {});
        return Transform(args);
    }
    if (command == "align") {
        args.Parse({"--li", "--fi", "--ri", "-o"}, {"--ig"});
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
