// The dialog template and the version resource, read back from the program.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Reads a dialog template the way the system does.
class TemplateReader {
 public:
  explicit TemplateReader(const void* data) : at_(static_cast<const BYTE*>(data)), start_(at_) {}
  DWORD Dword() { DWORD v; memcpy(&v, at_, 4); at_ += 4; return v; }
  WORD Word() { WORD v; memcpy(&v, at_, 2); at_ += 2; return v; }
  short Short() { return static_cast<short>(Word()); }
  std::string Text() {
    std::string text;
    while (WORD c = Word()) text += static_cast<char>(c);
    return text;
  }
  // A class or menu: 0 (none), 0xFFFF and an ordinal, or a text.
  std::string NameOrOrdinal() {
    WORD first;
    memcpy(&first, at_, 2);
    if (first == 0) return Word(), "";
    if (first == 0xFFFF) return Word(), "#" + std::to_string(Word());
    return Text();
  }
  void AlignDword() { while ((at_ - start_) % 4) at_++; }

 private:
  const BYTE* at_;
  const BYTE* start_;
};

struct Control {
  DWORD style;
  short x, y, cx, cy;
  WORD id;
  std::string windowClass, text;
};

BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR data) {
  reinterpret_cast<std::vector<ULONG_PTR>*>(data)->push_back(reinterpret_cast<ULONG_PTR>(type));
  return TRUE;
}

class ProgramResources : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = LoadLibraryExA(TAVRO_PROGRAM_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program_, nullptr) << TAVRO_PROGRAM_PATH;
  }
  void TearDown() override {
    if (program_) FreeLibrary(program_);
  }
  HMODULE program_ = nullptr;
};

TEST_F(ProgramResources, TheProgressDialogTemplateIsFoundByNameAndLaidOutAsDesigned) {
  HRSRC found = FindResourceA(program_, "IDD_DIALOG1", reinterpret_cast<LPCSTR>(RT_DIALOG));
  ASSERT_NE(found, nullptr);
  TemplateReader reader(LockResource(LoadResource(program_, found)));
  EXPECT_EQ(reader.Dword(), 0x90C808C4u);  // a standard template, not the extended form
  EXPECT_EQ(reader.Dword(), 0u);
  WORD count = reader.Word();
  EXPECT_EQ(reader.Short(), 0);
  EXPECT_EQ(reader.Short(), 0);
  EXPECT_EQ(reader.Short(), 377);
  EXPECT_EQ(reader.Short(), 54);
  EXPECT_EQ(reader.NameOrOrdinal(), "");  // no menu
  EXPECT_EQ(reader.NameOrOrdinal(), "");  // the default dialog class
  EXPECT_EQ(reader.Text(), "Progress.........");
  EXPECT_EQ(reader.Word(), 8);
  EXPECT_EQ(reader.Text(), "MS Sans Serif");
  ASSERT_EQ(count, 3);
  std::vector<Control> controls;
  for (int i = 0; i < count; i++) {
    reader.AlignDword();
    Control control;
    control.style = reader.Dword();
    EXPECT_EQ(reader.Dword(), 0u);
    control.x = reader.Short();
    control.y = reader.Short();
    control.cx = reader.Short();
    control.cy = reader.Short();
    control.id = reader.Word();
    control.windowClass = reader.NameOrOrdinal();
    control.text = reader.NameOrOrdinal();
    reader.Word();  // no creation data
    controls.push_back(control);
  }
  const DWORD button = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_CENTER | BS_PUSHBUTTON;
  EXPECT_EQ(controls[0].id, IDOK);
  EXPECT_EQ(controls[0].windowClass, "#128");  // the button class
  EXPECT_EQ(controls[0].text, "OK");
  EXPECT_EQ(controls[0].style, button);
  EXPECT_EQ(std::vector<short>({controls[0].x, controls[0].y, controls[0].cx, controls[0].cy}),
            std::vector<short>({120, 80, 50, 14}));
  EXPECT_EQ(controls[1].id, IDCANCEL);
  EXPECT_EQ(controls[1].windowClass, "#128");
  EXPECT_EQ(controls[1].text, "Cancel");
  EXPECT_EQ(controls[1].style, button);
  EXPECT_EQ(std::vector<short>({controls[1].x, controls[1].y, controls[1].cx, controls[1].cy}),
            std::vector<short>({8, 28, 360, 14}));
  EXPECT_EQ(controls[2].id, 101);
  // Window class names are matched without regard to case (the resource
  // compiler stores them in capitals).
  EXPECT_EQ(lstrcmpiA(controls[2].windowClass.c_str(), "msctls_progress32"), 0) << controls[2].windowClass;
  EXPECT_EQ(controls[2].text, "ProgressBar1");
  EXPECT_EQ(controls[2].style, static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_BORDER));
  EXPECT_EQ(std::vector<short>({controls[2].x, controls[2].y, controls[2].cx, controls[2].cy}),
            std::vector<short>({4, 8, 364, 12}));
}

TEST_F(ProgramResources, OnlyTheDialogAndAVersionOfOnePointNoughtNoIconOrManifest) {
  std::vector<ULONG_PTR> types;
  EnumResourceTypesA(program_, CollectType, reinterpret_cast<LONG_PTR>(&types));
  std::sort(types.begin(), types.end());
  EXPECT_EQ(types, (std::vector<ULONG_PTR>{reinterpret_cast<ULONG_PTR>(RT_DIALOG),
                                           reinterpret_cast<ULONG_PTR>(RT_VERSION)}));
  DWORD ignored;
  DWORD size = GetFileVersionInfoSizeA(TAVRO_PROGRAM_PATH, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoA(TAVRO_PROGRAM_PATH, 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);  // 1.00
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
}

}  // namespace
