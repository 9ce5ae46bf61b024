// Feeds arbitrary bytes to the DICOM reader as a file: structure walk, big-endian swapping,
// inflation, header scan, series assembly and every pixel decoder. With DICOM_FUZZ_SEEDS set to
// a folder, the start writes phantom files of every pixel kind and encoding there as seeds.
#include <hostkit/HostDicom.h>
#include <hostkit/HostReport.h>
#include <hostkit/HostUtil.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

std::string g_file;

// Small images keep the seeds short, so that mutations reach their pixel data.
void Write_Seeds(const char* folder) {
  struct Seed { int pixels, encoding, layout, planar; uint16_t modality; int bits; };
  const Seed seeds[] = {
      {HOST_PHANTOM_GREY, HOST_PHANTOM_EXPLICIT, HOST_PHANTOM_FILES, 0, HOST_MODALITY_CT, 16},
      {HOST_PHANTOM_GREY, HOST_PHANTOM_IMPLICIT, HOST_PHANTOM_MULTI_FRAME, 0, HOST_MODALITY_MR, 16},
      {HOST_PHANTOM_GREY, HOST_PHANTOM_RLE, HOST_PHANTOM_FILES, 0, HOST_MODALITY_CT, 16},
      {HOST_PHANTOM_GREY, HOST_PHANTOM_JPEG_LOSSLESS, HOST_PHANTOM_FILES, 0, HOST_MODALITY_CT, 16},
      {HOST_PHANTOM_GREY, HOST_PHANTOM_JPEG_LS, HOST_PHANTOM_FILES, 0, HOST_MODALITY_MR, 8},
      {HOST_PHANTOM_GREY, HOST_PHANTOM_JPEG_2000, HOST_PHANTOM_FILES, 0, HOST_MODALITY_CT, 16},
      {HOST_PHANTOM_GREY, HOST_PHANTOM_BIG_ENDIAN, HOST_PHANTOM_MULTI_FRAME, 0, HOST_MODALITY_CT, 16},
      {HOST_PHANTOM_GREY, HOST_PHANTOM_DEFLATED, HOST_PHANTOM_FILES, 0, HOST_MODALITY_MR, 16},
      {HOST_PHANTOM_GREY, HOST_PHANTOM_JPEG_BASELINE, HOST_PHANTOM_EVEN_FRAMES, 0, HOST_MODALITY_MR, 8},
      {HOST_PHANTOM_RGB, HOST_PHANTOM_EXPLICIT, HOST_PHANTOM_FILES, 1, HOST_MODALITY_CT, 8},
      {HOST_PHANTOM_RGB, HOST_PHANTOM_RLE, HOST_PHANTOM_FILES, 0, HOST_MODALITY_CT, 8},
      {HOST_PHANTOM_RGB, HOST_PHANTOM_JPEG_BASELINE, HOST_PHANTOM_FILES, 0, HOST_MODALITY_CT, 8},
      {HOST_PHANTOM_RGB, HOST_PHANTOM_JPEG_2000, HOST_PHANTOM_FILES, 0, HOST_MODALITY_CT, 8},
      {HOST_PHANTOM_YBR_FULL, HOST_PHANTOM_BIG_ENDIAN, HOST_PHANTOM_FILES, 0, HOST_MODALITY_CT, 8},
      {HOST_PHANTOM_YBR_FULL_422, HOST_PHANTOM_EXPLICIT, HOST_PHANTOM_FILES, 0, HOST_MODALITY_CT, 8},
      {HOST_PHANTOM_YBR_FULL_422, HOST_PHANTOM_JPEG_BASELINE, HOST_PHANTOM_FILES, 0, HOST_MODALITY_CT, 8},
      {HOST_PHANTOM_PALETTE, HOST_PHANTOM_DEFLATED, HOST_PHANTOM_FILES, 0, HOST_MODALITY_CT, 8},
      {HOST_PHANTOM_S32, HOST_PHANTOM_RLE, HOST_PHANTOM_FILES, 0, HOST_MODALITY_CT, 16},
      {HOST_PHANTOM_U32, HOST_PHANTOM_EXPLICIT, HOST_PHANTOM_FILES, 0, HOST_MODALITY_CT, 16},
      {HOST_PHANTOM_FLOAT, HOST_PHANTOM_IMPLICIT, HOST_PHANTOM_MULTI_FRAME, 0, HOST_MODALITY_CT, 16},
      {HOST_PHANTOM_DOSE, HOST_PHANTOM_EXPLICIT, HOST_PHANTOM_EVEN_FRAMES, 0, HOST_MODALITY_CT, 16},
  };
  int n = 0;
  for (const Seed& s : seeds) {
    Host_Phantom_Options o;
    // The toolkit's JPEG 2000 encoder overruns its output buffer on images much smaller than this.
    o.columns = 32;
    o.rows = 32;
    o.slices = s.layout == HOST_PHANTOM_FILES ? 1 : 3;
    o.pixels = s.pixels;
    o.encoding = s.encoding;
    o.layout = s.layout;
    o.planar = s.planar;
    o.modality = s.modality;
    o.bits = s.bits;
    std::string prefix = "seed" + std::to_string(n++);
    o.file_prefix = prefix.c_str();
    if (!Host_Dicom_Write_Phantom(Host_Char_To_Wide(folder), &o)) std::fprintf(stderr, "seed %d not written\n", n - 1);
  }
}

}  // namespace

// Two of the toolkit's codecs leak when a stream fails part way: the JPEG 2000 codec leaves
// OpenJPEG's decoder objects behind, the JPEG-LS codec its output buffer. Suppressed by the
// toolkit's own frames and nothing wider. OpenJPEG keeps no frame pointers, so the stacks are
// unwound in full to reach the toolkit's frame.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:gdcm::JPEG2000Codec::DecodeByStreamsCommon\n"
         "leak:gdcm::JPEGLSCodec::Decode\n";
}
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Host_Report_Filter_Default(false, false);
  Host_Dicom_Threads_Set(1);  // one input, one file: threads would only blur the coverage
  if (const char* seeds = std::getenv("DICOM_FUZZ_SEEDS")) Write_Seeds(seeds);
  const char* shm = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  g_file = std::string(shm) + "/quarn_dicom_fuzz_" + std::to_string(getpid()) + ".dcm";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* f = std::fopen(g_file.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  int count = 0;
  Host_Image_Record** list = Host_Dicom_Read_Series(Host_Char_To_Wide(g_file.c_str()), &count, HOST_DICOM_FLAT);
  Host_Dicom_Free_Series(list);
  return 0;
}
