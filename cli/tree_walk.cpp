#include "cli/tree_walk.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "cli/commands.h"
#include "cli/system_names.h"

namespace fs = std::filesystem;

namespace {


const char* KindOf(fs::file_type type) {
    switch (type) {
        case fs::file_type::fifo: return "a FIFO";
        case fs::file_type::block: return "a block device";
        case fs::file_type::character: return "a character device";
        case fs::file_type::socket: return "a socket";
        default: return "not a regular file";
    }
}

std::string Below(const std::string& folder, const std::string& name) {
    std::string joined = folder;
    if (!joined.empty() && joined.back() != '/' && joined.back() != static_cast<char>(fs::path::preferred_separator))
        joined += static_cast<char>(fs::path::preferred_separator);
    return joined + name;
}

class Walk {
public:
    std::vector<ListedFile> listed;

    void Argument(const std::string& argument) {
        std::error_code ec;
        const fs::path path = PathOf(argument);
        const fs::file_status status = fs::status(path, ec);
        if (!ec && fs::is_directory(status)) {
            const fs::path canonical = fs::canonical(path, ec);
            if (ec) return Note(argument, ec.message(), true);
            return Folder(argument, canonical);
        }
        // Whatever else it is, the command says what it makes of it.
        if (!ec && fs::is_regular_file(status)) {
            const fs::path canonical = fs::canonical(path, ec);
            if (!ec && !seen_.insert(canonical.native()).second) return;
        }
        listed.push_back({argument, "", false});
    }

private:
    void Note(const std::string& name, std::string note, bool failed) {
        listed.push_back({name, std::move(note), failed});
    }

    // `canonical`: the folder's own path with no link in it, so that a file's canonical path is that
    // and its name, with no call of the system's.
    void Folder(const std::string& name, const fs::path& canonical) {
        std::vector<fs::directory_entry> entries;
        std::error_code ec;
        fs::directory_iterator it(canonical, ec), end;
        for (; !ec && it != end; it.increment(ec)) entries.push_back(*it);
        if (ec) return Note(name, std::string("cannot read the folder: ") + ec.message(), true);
        std::sort(entries.begin(), entries.end(), [](const fs::directory_entry& a, const fs::directory_entry& b) {
            return a.path().filename().native() < b.path().filename().native();
        });
        for (const fs::directory_entry& entry : entries) {
            const std::string own = NarrowName(entry.path().filename());
            if (own.empty()) {
                Note(Below(name, "?"), "a name this system's code page cannot hold, left alone", true);
                continue;
            }
            Entry(entry, Below(name, own), canonical / entry.path().filename());
        }
    }

    void Entry(const fs::directory_entry& entry, const std::string& name, const fs::path& canonical) {
        std::error_code ec;
        const fs::file_status own = entry.symlink_status(ec);
        if (ec) return Note(name, ec.message(), true);
        if (fs::is_directory(own)) return Folder(name, canonical);
        if (fs::is_regular_file(own)) return File(name, canonical.native());
        if (!fs::is_symlink(own)) return Note(name, std::string(KindOf(own.type())) + ", skipped", false);
        const fs::file_status target = fs::status(entry.path(), ec);
        if (ec || !fs::exists(target)) return Note(name, "a symbolic link to nothing, skipped", false);
        if (fs::is_directory(target)) return Note(name, "a symbolic link to a folder, not followed", false);
        if (!fs::is_regular_file(target))
            return Note(name, std::string("a symbolic link to ") + KindOf(target.type()) + ", skipped", false);
        const fs::path resolved = fs::canonical(entry.path(), ec);
        if (ec) return Note(name, ec.message(), true);
        links_.emplace_back(listed.size(), resolved.native());
        listed.push_back({name, "", false});
    }

    void File(const std::string& name, const fs::path::string_type& key) {
        if (seen_.insert(key).second) listed.push_back({name, "", false});
    }

public:
    // A file reached by its own name and by links is listed by its own name; one reached by links
    // alone, by the first of them.
    std::vector<ListedFile> Result() {
        std::vector<bool> dropped(listed.size());
        for (const auto& [index, key] : links_) dropped[index] = !seen_.insert(key).second;
        std::vector<ListedFile> kept;
        for (std::size_t i = 0; i < listed.size(); ++i)
            if (!dropped[i]) kept.push_back(std::move(listed[i]));
        return kept;
    }

private:
    std::set<fs::path::string_type> seen_;
    std::vector<std::pair<std::size_t, fs::path::string_type>> links_;
};

}  // namespace

std::vector<ListedFile> ListFiles(const std::vector<std::string>& arguments, bool recursive) {
    if (!recursive) {
        std::vector<ListedFile> listed;
        for (const std::string& argument : arguments) listed.push_back({argument, "", false});
        return listed;
    }
    Walk walk;
    for (const std::string& argument : arguments) walk.Argument(argument);
    return walk.Result();
}

std::vector<std::string> ListedFilesOrStandardInput(const Arguments& args, bool& failed) {
    if (!args.Option("-r")) return FilesOrStandardInput(args);
    std::vector<std::string> files;
    for (const ListedFile& listed : ListFiles(FilesOrStandardInput(args), true)) {
        if (listed.note.empty()) {
            files.push_back(listed.name);
            continue;
        }
        PrintError(listed.name, listed.note);
        failed |= listed.failed;
    }
    return files;
}
