#pragma once
// File names as the tool holds them (the system's narrow names, which fopen and the command line use:
// the ANSI code page on Windows) and as paths of the library, whose own conversion on Windows would
// read and give UTF-8 instead.
#include <filesystem>
#include <string>

std::filesystem::path PathOf(const std::string& name);
// Empty when the code page lacks a character of the name: no narrow function could open that file.
std::string NarrowName(const std::filesystem::path& path);
