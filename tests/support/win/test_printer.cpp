#include "support/win/test_printer.h"

#include <winspool.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace {

constexpr char kDriver[] = "Wine PostScript Driver";
constexpr char kDescription[] = "vemko-test.ppd";

// A4, 300 dots to the inch, colour, no fonts of its own (the text comes as the system's glyphs).
constexpr char kPrinterDescription[] = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "VEMKOTST.PPD"
*Manufacturer: "Generic"
*Product: "(Generic PostScript Printer)"
*ModelName: "Generic PostScript Printer"
*NickName: "Generic PostScript Printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*DefaultResolution: 300dpi
*OpenUI *PageSize/Page Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*PageSize Letter/US Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*PageRegion Letter/US Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "18 36 577 806"
*ImageableArea Letter/US Letter: "18 36 594 756"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension Letter/US Letter: "612 792"
)ppd";

void WriteFile(const std::string& path, const char* text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string DriverDirectory() {
    char directory[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(directory), sizeof directory, &needed))
        return {};
    return directory;
}

bool InstallDriver() {
    std::string directory = DriverDirectory();
    if (directory.empty()) return false;
    // The driver takes its files from the directory and from its version folder.
    CreateDirectoryA((directory + "\\3").c_str(), nullptr);
    WriteFile(directory + "\\" + kDescription, kPrinterDescription);
    WriteFile(directory + "\\3\\" + kDescription, kPrinterDescription);
    DRIVER_INFO_3A driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<char*>(kDriver);
    driver.pDriverPath = const_cast<char*>("wineps.drv");
    driver.pDataFile = const_cast<char*>(kDescription);
    driver.pConfigFile = const_cast<char*>("wineps.drv");
    return AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES) != 0;
}

char16_t GlyphCharacter(const std::string& name) {
    static const std::map<std::string, char16_t> names = {
        {"zero", u'0'},  {"one", u'1'},   {"two", u'2'},    {"three", u'3'},  {"four", u'4'},   {"five", u'5'},
        {"six", u'6'},   {"seven", u'7'}, {"eight", u'8'},  {"nine", u'9'},   {"hyphen", u'-'}, {"period", u'.'},
        {"comma", u','}, {"colon", u':'},  {"exclam", u'!'}, {"question", u'?'},
    };
    if (name.size() == 1) return static_cast<char16_t>(name[0]);
    if (name.size() == 7 && name.compare(0, 3, "uni") == 0)
        return static_cast<char16_t>(std::strtoul(name.c_str() + 3, nullptr, 16));
    auto found = names.find(name);
    return found == names.end() ? u'?' : found->second;
}

}  // namespace

const char* TestPrinter::Name() { return "Vemko Test Printer"; }

TestPrinter::TestPrinter() {
    RemoveLeftover();
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    output_ = std::string(temp) + "vemko-test-printer.ps";
    if (!InstallDriver()) return;
    PRINTER_INFO_2A info{};
    info.pPrinterName = const_cast<char*>(Name());
    info.pPortName = output_.data();
    info.pDriverName = const_cast<char*>(kDriver);
    info.pPrintProcessor = const_cast<char*>("WinPrint");
    info.pDatatype = const_cast<char*>("RAW");
    HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (!printer) return;
    ClosePrinter(printer);
    SetDefaultPrinterA(Name());
    HDC dc = CreateDCA("WINSPOOL", Name(), nullptr, nullptr);
    ready_ = dc != nullptr;
    if (dc) DeleteDC(dc);
}

TestPrinter::~TestPrinter() {
    RemoveLeftover();
    DeleteFileA(output_.c_str());
}

void TestPrinter::RemoveLeftover() {
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSA access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterA(const_cast<char*>(Name()), &printer, &access)) {
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
}

void TestPrinter::Clear() const { DeleteFileA(output_.c_str()); }

std::vector<std::u16string> TestPrinter::Pages() const {
    std::ifstream in(output_, std::ios::binary);
    std::string postscript((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return PostScriptPages(postscript);
}

std::vector<std::u16string> PostScriptPages(const std::string& postscript) {
    std::vector<std::u16string> pages;
    std::istringstream lines(postscript);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, 8, "%%Page: ") == 0) {
            pages.emplace_back();
            continue;
        }
        const std::string show = " glyphshow";
        if (pages.empty() || line.size() < show.size() + 2 || line[0] != '/' ||
            line.compare(line.size() - show.size(), show.size(), show) != 0)
            continue;
        std::string name = line.substr(1, line.size() - show.size() - 1);
        if (name != "space") pages.back().push_back(GlyphCharacter(name));
    }
    return pages;
}
