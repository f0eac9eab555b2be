#pragma once
// The command-line tool run as a user runs it, in a test folder of its own. For POSIX hosts only:
// the tests that use it are built where VEMKOCONV_PATH is given.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class Vemkoconv : public testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("vemkoconv-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Runs the tool with `arguments` (shell words) in the test folder; stdout goes to "stdout", stderr
    // to "stderr". Returns the exit status.
    int Run(const std::string& arguments) const {
        std::string command = "cd '" + dir_.string() + "' && '" VEMKOCONV_PATH "' " + arguments +
                              " >stdout 2>stderr";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::size_t FilesInFolder() const {
        using std::filesystem::directory_iterator;
        return static_cast<std::size_t>(std::distance(directory_iterator(dir_), directory_iterator()));
    }

    std::filesystem::path dir_;
};
