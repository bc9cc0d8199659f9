#include <gtest/gtest.h>

#include "app/report.h"

TEST(Report, LaysOutEveryLabelledLineWithCrLf) {
    ReportFacts f;
    f.programName = "OpenGL Renderer infos";
    f.programVersion = "1.0.0.11";
    f.windowsMajor = 6;
    f.windowsMinor = 1;
    f.windowsBuild = 7601;
    f.platformId = 2;
    f.vendor = "V";
    f.renderer = std::string(1500, 'r');  // longer than the information text shows
    f.version = "1.1";
    f.openGlLibrary = "C:\\Windows\\system32\\opengl32.dll";
    f.pixelFormat = PixelFormatFacts{9, 32, 8, 24, 8, 0x25};
    f.extensions = {"GL_b", "GL_a"};
    f.driverRows = {"Software (MICROSOFT): OpenGL32.dll", "Acme: a.dll"};
    f.selectedDriverRow = 1;
    EXPECT_EQ(formatReport(f),
              "Program: OpenGL Renderer infos 1.0.0.11\r\n"
              "Windows: 6.1 build 7601, NT family\r\n"
              "Vendor: V\r\n"
              "Renderer: " + std::string(1500, 'r') + "\r\n"
              "Version: 1.1\r\n"
              "OpenGL library: C:\\Windows\\system32\\opengl32.dll\r\n"
              "Pixel format: 9, colour 32 bits, alpha 8, depth 24, stencil 8, double-buffered\r\n"
              "Implementation: hardware (an OpenGL driver's own format)\r\n"
              "Extensions: 2\r\n"
              "  GL_b\r\n"
              "  GL_a\r\n"
              "Drivers (* selected):\r\n"
              "  Software (MICROSOFT): OpenGL32.dll\r\n"
              "* Acme: a.dll\r\n");

    // No format in use, the 95 family, nothing listed, nothing selected.
    ReportFacts bare;
    bare.platformId = 1;
    const std::string text = formatReport(bare);
    EXPECT_NE(text.find("\r\nWindows: 0.0 build 0, 95 family\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nPixel format: none\r\nImplementation: unknown\r\nExtensions: 0\r\nDrivers (* selected):\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("\r\n* "), std::string::npos);
}

TEST(Report, NamesThePixelFormatsKindByItsFlags) {
    struct Case {
        std::uint32_t flags;
        const char* firstWord;
    };
    const Case cases[] = {
        {0x25, "hardware"},              // no generic flag: the driver's own
        {0x25 | 0x40, "software"},       // PFD_GENERIC_FORMAT alone
        {0x25 | 0x40 | 0x1000, "accelerated"},  // with PFD_GENERIC_ACCELERATED
        {0x25 | 0x1000, "hardware"},     // accelerated without generic is no generic format
    };
    for (const Case& c : cases) {
        const std::string kind = pixelFormatKind(c.flags);
        EXPECT_EQ(kind.substr(0, kind.find(' ')), c.firstWord) << std::hex << c.flags;
    }
    ReportFacts single;
    single.pixelFormat = PixelFormatFacts{1, 24, 0, 16, 0, 0x24 | 0x40};
    EXPECT_NE(formatReport(single).find(", single-buffered\r\nImplementation: software"), std::string::npos);
}
