// The OEM logo loader of the applet's dialog, run by the dialog's own
// initialisation against real files beside this program and LoadImageW.
// The tray and the message box go to a recording shell.
#include "support/childProcess.h"
#include "support/fakeShell.h"
#include "support/testSupport.h"
#include "support/traceTexts.h"

#include "common/kernelHandle.h"
#include "ui/gdiHandles.h"
#include "ui/velmoDlg.h"
#include "res/resource.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

namespace traced = velmo_test::traced;

using velmo_test::BesideTestExe;
using velmo_test::LogCursor;
using velmo_test::FakeShell;

using UniqueDc = UniqueHandle<HDC, &DeleteDC>;

constexpr size_t kLargestFile = 15360;
constexpr char kLoadOnceSwitch[] = "--load-logo-once";

// A 2 x 2 PNG picture.
const unsigned char kPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D,
    0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02,
    0x08, 0x02, 0x00, 0x00, 0x00, 0xFD, 0xD4, 0x9A, 0x73, 0x00, 0x00, 0x00,
    0x10, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xCF, 0x00, 0x04,
    0xFF, 0x19, 0x20, 0x14, 0x00, 0x1B, 0xF2, 0x03, 0xFD, 0xD6, 0x96, 0xF2,
    0x2B, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60,
    0x82,
};

// A trace message keeps the low byte of each UTF-16 unit of a path.
std::string LowBytes(const std::wstring& text)
{
    std::string bytes;
    for (const wchar_t unit : text)
        bytes.push_back(static_cast<char>(unit & 0xFF));
    return bytes;
}

// The records of the logo loader among `entries`, in order. Not-found
// records count only for `logoPath`: programs elsewhere that start the
// dialog write their own into the same log.
std::vector<std::string> LoaderRecords(const std::vector<std::string>& entries,
                                       const std::wstring& logoPath)
{
    const std::string notFoundHere = traced::kLogoNotFound + LowBytes(logoPath);
    const std::string fixed[] = {traced::kLogoNotOpened, traced::kLogoFileSize,
                                 traced::kLogoNoDimensions, traced::kLogoWidth, traced::kLogoHeight};
    std::vector<std::string> records;
    for (const std::string& entry : entries) {
        if (entry == notFoundHere ||
            std::find(std::begin(fixed), std::end(fixed), entry) != std::end(fixed))
            records.push_back(entry);
    }
    return records;
}

// A picture as 0x00RRGGBB values, top row first.
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// A picture no built-in logo looks like: every pixel differs from its
// neighbours.
Picture TestPicture(int width, int height)
{
    Picture picture{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            picture.pixels.push_back(static_cast<std::uint32_t>(x * 3 << 16 | y * 6 << 8 | 0x5A));
    }
    return picture;
}

// `value` in little-endian order at `offset`.
template <typename Value>
void Put(std::string& bytes, size_t offset, Value value)
{
    const auto bits = static_cast<std::uint64_t>(value);
    for (size_t i = 0; i < sizeof value; ++i)
        bytes[offset + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

// A 24-bit uncompressed bottom-up bitmap file. With `fileSize`, the file has
// exactly that size: the pixels end it and the headers' offset skips the gap.
std::string BitmapFile(const Picture& picture, size_t fileSize = 0)
{
    constexpr size_t kHeaders = 14 + 40;
    const size_t rowBytes = (static_cast<size_t>(picture.width) * 3 + 3) & ~size_t{3};
    const size_t pixelBytes = rowBytes * picture.height;
    if (fileSize == 0)
        fileSize = kHeaders + pixelBytes;
    EXPECT_GE(fileSize, kHeaders + pixelBytes);
    const size_t pixelOffset = fileSize - pixelBytes;

    std::string bytes(fileSize, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put(bytes, 2, static_cast<std::uint32_t>(fileSize));
    Put(bytes, 10, static_cast<std::uint32_t>(pixelOffset));
    Put(bytes, 14, std::uint32_t{40});
    Put(bytes, 18, static_cast<std::int32_t>(picture.width));
    Put(bytes, 22, static_cast<std::int32_t>(picture.height));
    Put(bytes, 26, std::uint16_t{1});
    Put(bytes, 28, std::uint16_t{24});
    Put(bytes, 34, static_cast<std::uint32_t>(pixelBytes));
    for (int y = 0; y < picture.height; ++y) {
        const size_t row = pixelOffset + rowBytes * (picture.height - 1 - y);
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t pixel = picture.pixels[y * picture.width + x];
            Put(bytes, row + x * 3, static_cast<std::uint16_t>(pixel & 0xFFFF));
            Put(bytes, row + x * 3 + 2, static_cast<std::uint8_t>(pixel >> 16));
        }
    }
    return bytes;
}

Picture PictureOf(HBITMAP bitmap)
{
    BITMAP description{};
    if (!bitmap || !GetObjectW(bitmap, sizeof description, &description))
        return {};
    Picture picture{description.bmWidth, description.bmHeight, {}};
    picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = picture.width;
    format.bmiHeader.biHeight = -picture.height; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    const UniqueDc dc(CreateCompatibleDC(nullptr));
    const int rows = GetDIBits(dc.Get(), bitmap, 0, static_cast<UINT>(picture.height),
                               picture.pixels.data(), &format, DIB_RGB_COLORS);
    EXPECT_EQ(rows, picture.height);
    for (std::uint32_t& pixel : picture.pixels)
        pixel &= 0x00FFFFFF;
    return picture;
}

Picture BuiltInLogo()
{
    const UniqueBitmap logo(static_cast<HBITMAP>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_OEM_LOGO), IMAGE_BITMAP, 0, 0, 0)));
    return PictureOf(logo.Get());
}

void ExpectSamePicture(const Picture& shown, const Picture& expected)
{
    EXPECT_EQ(shown.width, expected.width);
    EXPECT_EQ(shown.height, expected.height);
    EXPECT_TRUE(shown.pixels == expected.pixels) << "the pixels differ";
}

void ExpectBuiltInLogo(const Picture& shown)
{
    EXPECT_EQ(shown.width, 64);
    EXPECT_EQ(shown.height, 42);
    ExpectSamePicture(shown, BuiltInLogo());
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    const UniqueKernelHandle file(FileHandle(CreateFileW(
        path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
    ASSERT_TRUE(file) << "creating a test file, error " << GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                          nullptr));
    ASSERT_EQ(written, bytes.size());
}

// What the loader sees as "oemlogo.bmp" beside this program. Whatever a test
// puts there (a file or a directory) is gone before and after it.
class LogoBesideProgram
{
public:
    LogoBesideProgram() { Remove(); }
    ~LogoBesideProgram() { Remove(); }
    LogoBesideProgram(const LogoBesideProgram&) = delete;
    LogoBesideProgram& operator=(const LogoBesideProgram&) = delete;

    const std::wstring& Path() const { return m_path; }

private:
    void Remove()
    {
        DeleteFileW(m_path.c_str());
        RemoveDirectoryW(m_path.c_str());
    }

    const std::wstring m_path = BesideTestExe(L"oemlogo.bmp");
};

// What one start of the dialog made of the logo: the picture control 1010
// shows and the loader's trace records.
struct Outcome
{
    Picture shown;
    std::vector<std::string> records;
};

// One dialog initialisation, the tray and message boxes faked.
bool CreateAndExitDialog(Picture* shown)
{
    const FakeShell shell;
    Ckorva2checkDlg dialog;
    if (!dialog.Create())
        return false;
    if (shown)
        *shown = PictureOf(reinterpret_cast<HBITMAP>(SendDlgItemMessageW(
            dialog.m_hWnd, IDC_OEM_LOGO, STM_GETIMAGE, IMAGE_BITMAP, 0)));
    dialog.ExitApplet();
    return true;
}

class OemLogoTest : public ::testing::Test
{
protected:
    Outcome StartDialog()
    {
        const LogCursor log;
        Outcome outcome;
        EXPECT_TRUE(CreateAndExitDialog(&outcome.shown)) << "the dialog was not created";
        outcome.records = LoaderRecords(log.Entries(), m_logo.Path());
        return outcome;
    }

    void WriteLogo(const std::string& bytes) { WriteFileBytes(m_logo.Path(), bytes); }

    LogoBesideProgram m_logo;
};

using Records = std::vector<std::string>;

// What stands at "oemlogo.bmp" beside the program.
enum class Logo { kBitmap, kPng, kEmptyFile, kDirectory, kBitmapHeldOpen, kNothing };

struct LogoCase
{
    const char* name;
    Logo logo;
    int width, height; // of the bitmap's picture
    size_t fileSize;   // of the bitmap's file; 0: as its headers and pixels need
    bool shown;        // else the built-in logo
    std::string record; // the loader's one record; empty: none
};

void PrintTo(const LogoCase& row, std::ostream* out)
{
    *out << row.name;
}

class OemLogo : public OemLogoTest, public ::testing::WithParamInterface<LogoCase>
{
};

TEST_P(OemLogo, IsShownWithinTheLimitsAndElseTracedOnce)
{
    const LogoCase& row = GetParam();
    const Picture picture = TestPicture(row.width, row.height);
    UniqueKernelHandle holder;
    switch (row.logo) {
    case Logo::kBitmap:
        WriteLogo(BitmapFile(picture, row.fileSize));
        break;
    case Logo::kPng:
        WriteLogo(std::string(std::begin(kPng), std::end(kPng)));
        break;
    case Logo::kEmptyFile:
        WriteLogo("");
        break;
    case Logo::kDirectory:
        ASSERT_TRUE(CreateDirectoryW(m_logo.Path().c_str(), nullptr));
        break;
    case Logo::kBitmapHeldOpen:
        WriteLogo(BitmapFile(picture));
        // Shared for reading and writing: only a reader that wants the file
        // to itself is refused.
        holder.Reset(FileHandle(CreateFileW(m_logo.Path().c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
        ASSERT_TRUE(holder);
        break;
    case Logo::kNothing:
        break;
    }
    const Outcome outcome = StartDialog();
    if (row.shown)
        ExpectSamePicture(outcome.shown, picture);
    else
        ExpectBuiltInLogo(outcome.shown);
    // A missing file is traced with the path looked at.
    const std::string record =
        row.logo == Logo::kNothing ? row.record + LowBytes(m_logo.Path()) : row.record;
    EXPECT_EQ(outcome.records, record.empty() ? Records{} : Records{record});
}

INSTANTIATE_TEST_SUITE_P(
    Files, OemLogo,
    ::testing::Values(
        LogoCase{"LargestPicture", Logo::kBitmap, 64, 42, 0, true, ""},
        LogoCase{"OnePixel", Logo::kBitmap, 1, 1, 0, true, ""},
        LogoCase{"FileOfExactly15360Bytes", Logo::kBitmap, 64, 42, kLargestFile, true, ""},
        LogoCase{"FileOneByteLarger", Logo::kBitmap, 64, 42, kLargestFile + 1, false,
                 traced::kLogoFileSize},
        LogoCase{"EmptyFile", Logo::kEmptyFile, 0, 0, 0, false, traced::kLogoFileSize},
        LogoCase{"OnePixelTooWide", Logo::kBitmap, 65, 42, 0, false, traced::kLogoWidth},
        // Only the width is reported.
        LogoCase{"TooWideAndTooTall", Logo::kBitmap, 65, 43, 0, false, traced::kLogoWidth},
        LogoCase{"OnePixelTooTall", Logo::kBitmap, 64, 43, 0, false, traced::kLogoHeight},
        LogoCase{"NotABitmapIsSilent", Logo::kPng, 0, 0, 0, false, ""},
        LogoCase{"DirectoryOfThatName", Logo::kDirectory, 0, 0, 0, false, traced::kLogoNotOpened},
        LogoCase{"FileHeldOpenElsewhere", Logo::kBitmapHeldOpen, 64, 42, 0, false,
                 traced::kLogoNotOpened},
        LogoCase{"Missing", Logo::kNothing, 0, 0, 0, false, traced::kLogoNotFound}),
    [](const ::testing::TestParamInfo<LogoCase>& info) { return std::string(info.param.name); });

// A copy of this program in a directory of its own, both gone with the object.
class ProgramCopy
{
public:
    explicit ProgramCopy(const std::wstring& directory)
        : m_directory(directory), m_program(directory + L"\\logoTests.exe")
    {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        EXPECT_TRUE(CreateDirectoryW(m_directory.c_str(), nullptr));
        EXPECT_TRUE(CopyFileW(self, m_program.c_str(), FALSE));
    }
    ~ProgramCopy()
    {
        DeleteFileW(m_program.c_str());
        RemoveDirectoryW(m_directory.c_str());
    }
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    const std::wstring& Program() const { return m_program; }

private:
    std::wstring m_directory;
    std::wstring m_program;
};

TEST_F(OemLogoTest, PathOutside8BitsIsTracedByTheLowByteOfEachUnit)
{
    // U+00F6 and U+03A9 are written as the bytes F6 and A9.
    const std::wstring directory = BesideTestExe(L"Z\u00F6lle_\u03A9");
    const ProgramCopy copy(directory);
    const LogCursor log;
    const velmo_test::ProcessResult run = velmo_test::RunProcess(
        L"\"" + copy.Program() + L"\" " +
        std::wstring(std::begin(kLoadOnceSwitch), std::end(kLoadOnceSwitch) - 1));
    ASSERT_EQ(run.exitCode, 0) << run.output;

    const Records records = LoaderRecords(log.Entries(), directory + L"\\oemlogo.bmp");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NE(records[0].find("\\Z\xF6lle_\xA9\\oemlogo.bmp"), std::string::npos) << records[0];
}

// The child of the test above: one start of the dialog with tracing on.
int LoadLogoOnce()
{
    velmo_test::TracingEnvironment tracing;
    tracing.SetUp();
    const bool created = CreateAndExitDialog(nullptr);
    tracing.TearDown();
    return created ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == kLoadOnceSwitch)
        return LoadLogoOnce();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new velmo_test::TracingEnvironment);
    return RUN_ALL_TESTS();
}
