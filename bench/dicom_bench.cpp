// Reading a 200-slice 512 x 512 CT series: the host kit's reader against a plain loop of the
// toolkit's image reader over the same files, in the same run (the ratio of the two is the
// figure that counts).
#include <hostkit/HostDicom.h>
#include <hostkit/HostReport.h>
#include <hostkit/HostUtil.h>

#include <benchmark/benchmark.h>
#include <gdcmImageReader.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kSlices = 200;
constexpr int kSize = 512;

// The series is written once per run and removed at exit.
struct Series_Folder {
  fs::path folder;
  std::vector<std::string> files;

  Series_Folder() {
    folder = fs::temp_directory_path() / ("quarn_dicom_bench_" + std::to_string(getpid()));
    Host_Phantom_Options o;
    o.columns = o.rows = kSize;
    o.slices = kSlices;
    o.scramble = true;
    Host_Dicom_Write_Phantom(Host_Char_To_Wide(folder.string().c_str()), &o);
    for (const auto& e : fs::directory_iterator(folder)) files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
  }
  ~Series_Folder() {
    std::error_code ec;
    fs::remove_all(folder, ec);
  }
};

const Series_Folder& Folder() {
  static Series_Folder folder;
  return folder;
}

// Baseline: every file read and its pixels taken out, one after the other.
void BM_Gdcm_ImageReader_Loop(benchmark::State& state) {
  const Series_Folder& s = Folder();
  std::vector<char> pixels;
  for (auto _ : state) {
    for (const std::string& f : s.files) {
      gdcm::ImageReader reader;
      reader.SetFileName(f.c_str());
      if (!reader.Read()) state.SkipWithError("the toolkit cannot read a phantom file");
      const gdcm::Image& image = reader.GetImage();
      pixels.resize(image.GetBufferLength());
      image.GetBuffer(pixels.data());
      benchmark::DoNotOptimize(pixels.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * kSlices);
}
BENCHMARK(BM_Gdcm_ImageReader_Loop)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// The same loop keeping every slice: each file's pixels go into its own slot of a volume
// allocated (and touched) once before the timing, as a reader of the whole series must hold them.
void BM_Gdcm_ImageReader_Into_Volume(benchmark::State& state) {
  const Series_Folder& s = Folder();
  const size_t slice_bytes = size_t(kSize) * kSize * 2;
  std::vector<char> volume(slice_bytes * s.files.size());
  for (auto _ : state) {
    for (size_t k = 0; k < s.files.size(); ++k) {
      gdcm::ImageReader reader;
      reader.SetFileName(s.files[k].c_str());
      if (!reader.Read()) state.SkipWithError("the toolkit cannot read a phantom file");
      const gdcm::Image& image = reader.GetImage();
      if (image.GetBufferLength() != slice_bytes) state.SkipWithError("a phantom slice of another size");
      else image.GetBuffer(volume.data() + k * slice_bytes);
    }
    benchmark::DoNotOptimize(volume.data());
  }
  state.SetItemsProcessed(state.iterations() * kSlices);
}
BENCHMARK(BM_Gdcm_ImageReader_Into_Volume)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// The host kit's reader with its threads (0: as many as the processors) or on one thread.
void BM_Host_Dicom_Read_Series(benchmark::State& state) {
  const Series_Folder& s = Folder();
  Host_Dicom_Threads_Set(int(state.range(0)));
  std::wstring folder = Host_Char_To_Wide(s.folder.string().c_str());
  for (auto _ : state) {
    int count = 0;
    Host_Image_Record** list = Host_Dicom_Read_Series(folder.c_str(), &count, HOST_DICOM_FLAT);
    if (count != 1 || list[0]->slices != kSlices) state.SkipWithError("the series was not read whole");
    Host_Dicom_Free_Series(list);
  }
  Host_Dicom_Threads_Set(0);
  state.SetItemsProcessed(state.iterations() * kSlices);
}
// The CPU column counts every thread of the process: on a loaded machine the real time follows
// the share of the processors the run gets, the CPU time the work done.
BENCHMARK(BM_Host_Dicom_Read_Series)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

}  // namespace
