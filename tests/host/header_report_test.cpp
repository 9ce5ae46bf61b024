// Header blocks of text exports, written for the frames of phantom CT and MR series read from
// DICOM files and for a record with every optional field missing, in both layouts.
#include "host/Services_Host.h"

#include <hostkit/HostDicom.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace services_test {
namespace {

namespace fs = std::filesystem;

using Frames = std::vector<Quarn_2D_Frame*>;
using Block = int (*)(FILE*, int, Quarn_2D_Frame* const*);

/// What a block writes, read back as UTF-8.
std::string Written(Block block, const Frames& frames) {
  char* text = nullptr;
  size_t size = 0;
  FILE* file = open_memstream(&text, &size);
  EXPECT_EQ(block(file, int(frames.size()), frames.data()), 1);
  std::fclose(file);
  std::string out(text, size);
  std::free(text);
  return out;
}

/// The frames of a CT series of 4 slices of 16 x 16 and an MR series of 3 of 16 x 12, read back from DICOM files and
/// built into the 2D tree, and the records of the files.
class Header_Phantom : public Services_Host {
protected:
  void SetUp() override {
    Services_Host::SetUp();
    dir_ = fs::temp_directory_path() / ("quarn_header_" + std::to_string(::getpid()));
    Add_Series("ct", HOST_MODALITY_CT, 4, 16);
    Add_Series("mr", HOST_MODALITY_MR, 3, 12);
    *Var<Quarn_2D_File**>(L"$DB_2D_FILE_PT") = files_.data();
    *Var<int>(L"$DB_2D_FILE_NB") = int(files_.size());
    ASSERT_EQ(Database_2D_Tree_Generate(), 1);
    const uint16_t id = Iterator_Init("header test", nullptr);
    while (Quarn_2D* node = Iterator_Class_2D(id, Quarn_2D_Frame::Class_A, nullptr, 0))
      frames_.push_back(static_cast<Quarn_2D_Frame*>(node));
    Iterator_End(id);
    ASSERT_EQ(frames_.size(), 7u);
  }
  void TearDown() override {
    Database_2D_Free();
    *Var<int>(L"$DB_2D_FILE_NB") = 0;
    for (Quarn_2D_File* f : files_) delete f;
    fs::remove_all(dir_);
    Services_Host::TearDown();
  }
  void Add_Series(const char* name, uint16_t modality, int slices, int rows) {
    Host_Phantom_Options o;
    o.modality = modality;
    o.slices = slices;
    o.columns = 16;
    o.rows = rows;
    const std::wstring folder = (dir_ / name).wstring();
    ASSERT_EQ(Host_Dicom_Write_Phantom(folder.c_str(), &o), slices);
    int count = 0;
    Host_Image_Record** records = Host_Dicom_Read_Series(folder.c_str(), &count);
    ASSERT_EQ(count, 1);
    files_.push_back(new Quarn_2D_File(folder.c_str(), reinterpret_cast<void**>(records)));
  }

  fs::path dir_;
  std::vector<Quarn_2D_File*> files_;
  Frames frames_;
};

TEST_F(Header_Phantom, CommentLayoutGivesEachPatientGeometryAndScannerOnce) {
  EXPECT_EQ(Written(Fct_Header_Patient_ASCII, frames_),
            "; =========== Patient Information =========================\n"
            "; Patient Name = Phantom, Jos\xC3\xA9\n"
            "; Patient ID = PH-0001\n"
            "; Patient sex = O\n"
            "; Date of Birth = 1970-01-01\n"
            "; Patient weight (Kg) = 70\n"
            "; Patient height (m) = 1.75\n"
            "\n");
  // The frames of one series share their geometry; the two series differ in their rows.
  EXPECT_EQ(Written(Fct_Header_Image_ASCII, frames_),
            "; =========== Image Information ===========================\n"
            "; Resolution =  16 x 16\n"
            "; Pixel Dim =   0.700 x 0.800 x 2.000\n"
            "; Horiz. Dir. = 1.0000 x 0.0000 x 0.0000\n"
            "; Vert. Dir =   0.0000 x 1.0000 x 0.0000\n"
            "; Resolution =  16 x 12\n"
            "; Pixel Dim =   0.700 x 0.800 x 2.000\n"
            "; Horiz. Dir. = 1.0000 x 0.0000 x 0.0000\n"
            "; Vert. Dir =   0.0000 x 1.0000 x 0.0000\n"
            "\n");
  EXPECT_EQ(Written(Fct_Header_Scanner_ASCII, frames_),
            "; =========== Scanner Information =========================\n"
            "; Modality = CT\n"
            "; Manufacturer = Synthetic Imaging\n"
            "; Model = Phantom CT 1\n"
            "; Gantry Tilt =  0.00\n"
            "; Tube Voltage = 120.00\n"
            "; Tube Current = 200.00\n"
            "\n"
            "; Modality = MR\n"
            "; Manufacturer = Synthetic Imaging\n"
            "; Model = Phantom MR 1\n"
            "; Field Strenght =  1.50\n"
            "; TR =  500.00\n"
            "; TE =  15.00\n"
            "; TI =  0.00\n"
            "; Pusle Sequence = se2d\n"
            "; Nb. of Averages = 2.00\n"
            "\n"
            "\n");
}

TEST_F(Header_Phantom, TableLayoutSplitsColumnsByTheRegionalSeparator) {
  *Var<char>(L"$REGIONAL_SEPARATOR") = ';';
  EXPECT_EQ(Written(Fct_Header_Patient_DB, frames_),
            "=========== Patient Information =========\n"
            "Patient Name;Patient ID;Patient sex;Date of Birth;Patient weight (Kg);Patient height (m)\n"
            "Phantom, Jos\xC3\xA9;PH-0001;O;1970-01-01;70;1.75\n"
            "\n\n");
  EXPECT_EQ(Written(Fct_Header_Image_DB, frames_),
            "=========== Image Information =========\n"
            "Resolution X;Y;Pixel Dim. X;Y;Z (mm);Horiz. Dir. X;Y;Z;Vert. Dir. X;Y;Z\n"
            "16;16;0.700;0.800;2.000;1.0000;0.0000;0.0000;0.0000;1.0000;0.0000;\n"
            "16;12;0.700;0.800;2.000;1.0000;0.0000;0.0000;0.0000;1.0000;0.0000;\n"
            "\n\n");
  EXPECT_EQ(Written(Fct_Header_Scanner_DB, frames_),
            "=========== Scanner Information =========\n"
            "Modality;Manufacturer;Model\n"
            "CT;Synthetic Imaging;Phantom CT 1\n"
            "MR;Synthetic Imaging;Phantom MR 1\n"
            "\n\n");
  // Unset, the separator is a tab.
  *Var<char>(L"$REGIONAL_SEPARATOR") = 0;
  EXPECT_NE(Written(Fct_Header_Scanner_DB, frames_).find("CT\tSynthetic Imaging\tPhantom CT 1\n"), std::string::npos);
}

TEST_F(Header_Phantom, AnonymousModeHidesEveryPatient) {
  *Var<uint8_t>(L"$INTERFACE_ANONYMOUS") = 1;
  EXPECT_EQ(Written(Fct_Header_Patient_ASCII, frames_),
            "; =========== Patient Information =========================\n"
            "; Mode Anonymous!\n"
            "\n");
  EXPECT_EQ(Written(Fct_Header_Patient_DB, frames_),
            "=========== Patient Information =========\n"
            "Mode Anonymous!\n"
            "\n\n");
}

TEST_F(Header_Phantom, ARecordDifferingOnlyInAMissingManufacturerIsAScannerOfItsOwn) {
  Host_Image_Record* mr = frames_.back()->image;
  char* kept = mr->manufacturer;
  mr->manufacturer = nullptr;
  *Var<char>(L"$REGIONAL_SEPARATOR") = ',';
  // Frames of the same MR record stay one entry; the CT frames have their manufacturer.
  const std::string text = Written(Fct_Header_Scanner_DB, frames_);
  mr->manufacturer = kept;
  EXPECT_NE(text.find("CT,Synthetic Imaging,Phantom CT 1\n"), std::string::npos);
  EXPECT_NE(text.find("MR,---,Phantom MR 1\n"), std::string::npos);
  // Two records of one scanner, one of them without manufacturer, are two scanners.
  Host_Image_Record* ct = frames_.front()->image;
  kept = ct->manufacturer;
  ct->manufacturer = nullptr;
  const uint16_t modality = mr->modality;
  char* model = mr->model;
  mr->modality = ct->modality;
  mr->model = ct->model;
  const std::string same = Written(Fct_Header_Scanner_DB, {frames_.front(), frames_.back()});
  const std::string absent = Written(Fct_Header_Scanner_DB, {frames_.front(), frames_[1]});
  ct->manufacturer = kept;
  const std::string present = Written(Fct_Header_Scanner_DB, {frames_.front(), frames_.back()});
  mr->modality = modality;
  mr->model = model;
  EXPECT_NE(same.find("CT,---,Phantom CT 1\nCT,Synthetic Imaging,Phantom CT 1\n"), std::string::npos) << same;
  EXPECT_NE(absent.find("CT,---,Phantom CT 1\n\n"), std::string::npos) << absent;  // one record, one row
  EXPECT_NE(present.find("Model\nCT,Synthetic Imaging,Phantom CT 1\n\n"), std::string::npos) << present;
}

/// A record with every optional field missing, shown by one frame.
class Header_Bare : public Services_Host {
protected:
  void SetUp() override {
    Services_Host::SetUp();
    auto** records = static_cast<Host_Image_Record**>(std::calloc(2, sizeof(void*)));
    records[0] = Host_Image_Create(8, 6, 1, 1, HOST_PIXEL_U16, nullptr);
    for (float& d : records[0]->pixel_dim) d = HOST_IMAGE_MISSING;
    file_ = new Quarn_2D_File(L"/nowhere/bare", reinterpret_cast<void**>(records));
    frame_ = new Quarn_2D_Frame(&root_, file_, 0, 0);
    frames_ = {frame_};
  }
  void TearDown() override {
    delete frame_;
    delete file_;
    Services_Host::TearDown();
  }
  Quarn_2D_Root root_;
  Quarn_2D_File* file_ = nullptr;
  Quarn_2D_Frame* frame_ = nullptr;
  Frames frames_;
};

TEST_F(Header_Bare, EveryMissingValueIsTheFillerAndMissingSizesAreNumbersInComments) {
  EXPECT_EQ(Written(Fct_Header_Patient_ASCII, frames_),
            "; =========== Patient Information =========================\n"
            "; Patient Name = ---\n"
            "; Patient ID = ---\n"
            "; Patient sex = ---\n"
            "; Date of Birth = ---\n"
            "; Patient weight (Kg) = ---\n"
            "; Patient height (m) = ---\n"
            "\n");
  EXPECT_EQ(Written(Fct_Header_Image_ASCII, frames_),
            "; =========== Image Information ===========================\n"
            "; Resolution =  8 x 6\n"
            "; Pixel Dim =   1000000020040877342720.000 x 1000000020040877342720.000 x 1000000020040877342720.000\n"
            "; Horiz. Dir. = 1.0000 x 0.0000 x 0.0000\n"
            "; Vert. Dir =   0.0000 x 1.0000 x 0.0000\n"
            "\n");
  EXPECT_EQ(Written(Fct_Header_Scanner_ASCII, frames_),
            "; =========== Scanner Information =========================\n"
            "; Modality = ---\n"
            "; Manufacturer = ---\n"
            "; Model = ---\n"
            "\n"
            "\n");
  Set_Narrow(L"$REGIONAL_FILLER", "n/a");
  EXPECT_EQ(Written(Fct_Header_Image_DB, frames_),
            "=========== Image Information =========\n"
            "Resolution X\tY\tPixel Dim. X\tY\tZ (mm)\tHoriz. Dir. X\tY\tZ\tVert. Dir. X\tY\tZ\n"
            "8\t6\tn/a\tn/a\tn/a\t1.0000\t0.0000\t0.0000\t0.0000\t1.0000\t0.0000\t\n"
            "\n\n");
  const std::string patients = Written(Fct_Header_Patient_DB, frames_);
  EXPECT_EQ(patients.substr(patients.find("m)\n") + 3), "n/a\tn/a\tn/a\tn/a\tn/a\tn/a\n\n\n");
}

TEST_F(Header_Bare, NoFramesWriteTheHeadingsHeaderRowsAndClosingLines) {
  const Frames none;
  EXPECT_EQ(Written(Fct_Header_Image_ASCII, none), "; =========== Image Information ===========================\n\n");
  EXPECT_EQ(Written(Fct_Header_Scanner_ASCII, none), "; =========== Scanner Information =========================\n\n");
  EXPECT_EQ(Written(Fct_Header_Scanner_DB, none),
            "=========== Scanner Information =========\nModality\tManufacturer\tModel\n\n\n");
  EXPECT_EQ(Written(Fct_Header_Patient_DB, none),
            "=========== Patient Information =========\nPatient Name\tPatient ID\tPatient sex\tDate of Birth\t"
            "Patient weight (Kg)\tPatient height (m)\n\n\n");
}

TEST_F(Header_Bare, NullFramesAreReportedAndSkippedAndANullFileWritesNothing) {
  Host_Report_Capture capture;
  const Frames with_null = {nullptr, frame_, frame_};
  const std::string rows = Written(Fct_Header_Image_DB, with_null);
  EXPECT_NE(rows.find("8\t6\t"), std::string::npos);
  EXPECT_EQ(rows.find("8\t6\t"), rows.rfind("8\t6\t"));  // one frame twice is one geometry
  EXPECT_TRUE(capture.Contains("Invalid frame class pointer in Fct_Header_Image_DB"));
  EXPECT_EQ(Fct_Header_Image_DB(nullptr, 1, frames_.data()), 0);
  EXPECT_EQ(Fct_Header_Time_ASCII(nullptr, "t", L"n"), 0);
  EXPECT_TRUE(capture.Contains("Fct_Header_Image_DB: no file to write to"));
  char* text = nullptr;
  size_t size = 0;
  FILE* file = open_memstream(&text, &size);
  EXPECT_EQ(Fct_Header_Scanner_ASCII(file, 3, nullptr), 1);
  std::fclose(file);
  std::free(text);
  EXPECT_TRUE(capture.Contains("Fct_Header_Scanner_ASCII: 3 frames but no frame list"));
}

TEST_F(Header_Bare, TitleBlocksFrameTheTitleAndSayWhenAndByWhat) {
  char* text = nullptr;
  size_t size = 0;
  FILE* file = open_memstream(&text, &size);
  EXPECT_EQ(Fct_Header_Time_ASCII(file, "Volumes", L"liver \u00E9tude"), 1);
  *Var<char>(L"$REGIONAL_SEPARATOR") = ';';
  EXPECT_EQ(Fct_Header_Time_DB(file, "Volumes", L"liver"), 1);
  std::fclose(file);
  const std::string out(text, size);
  std::free(text);
  const std::string rule = "; " + std::string(77, '-') + "\n";
  const std::string title = "; --- Volumes liver \xC3\xA9tude" + std::string(69 - 19, ' ') + " ---\n";
  const std::regex expected(rule + title +
                            "; --- created: \\d\\d [A-Z][a-z][a-z] \\d{4} \\d\\d:\\d\\d {44}---\n" + rule +
                            "\n"
                            "=== Volumes:;liver\n"
                            "=== created:;\\d\\d [A-Z][a-z][a-z] \\d{4} \\d\\d:\\d\\d\n"
                            "=== with:;.+ .+\n"
                            "\n");
  EXPECT_TRUE(std::regex_match(out, expected)) << out;
  // A title longer than its 69 columns is cut to them.
  file = open_memstream(&text, &size);
  Fct_Header_Time_ASCII(file, std::string(80, 't').c_str(), L"");
  std::fclose(file);
  EXPECT_NE(std::string(text, size).find("; --- " + std::string(69, 't') + " ---\n"), std::string::npos);
  std::free(text);
}

TEST_F(Header_Bare, AFileMadeWideGetsWideOutput) {
  FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  ASSERT_GT(fwide(file, 1), 0);
  EXPECT_EQ(Fct_Header_Scanner_DB(file, 1, frames_.data()), 1);
  std::rewind(file);
  std::wstring back;
  for (wint_t c; (c = std::fgetwc(file)) != WEOF;) back += wchar_t(c);
  std::fclose(file);
  EXPECT_EQ(back, L"=========== Scanner Information =========\nModality\tManufacturer\tModel\n---\t---\t---\n\n\n");
}

}  // namespace
}  // namespace services_test
