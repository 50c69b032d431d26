#include "platform/graphics/JpegImage.h"

#include <malloc.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

#include "platform/base/Consts.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"

// libjpeg reports faults by calling error_exit, which must not return. Ours
// jumps back (longjmp) to the one C-style frame that called into libjpeg;
// no C++ object with a destructor lives between that frame and libjpeg, and
// the C++ side raises the exception only after the jump has landed and the
// codec has been destroyed. Warnings about damaged data (a truncated file,
// a corrupt entropy segment) count as faults too: a picture that libjpeg
// patches up with grey is not the picture that was sent.

namespace {

// What a picture may cost is what a video frame can be. Every limit is
// checked before the work it bounds; a picture beyond one is refused as an
// unreadable file is.
//
// Pixels: 2^23 hold 3840 x 2160 and every camera's frame. Pictures that
// claim more pixels than their bytes could possibly describe are refused
// too (a baseline JPEG needs a few bits per 8x8 block and component).
constexpr std::uint64_t kMaxPixels = std::uint64_t(1) << 23;
constexpr std::uint64_t kPixelsPerByte = 1024;
constexpr std::uint64_t kPixelsFree = 1 << 16;
// 8x8 blocks of all components together, padding included: a thin picture
// within the pixel limit can still pad out to many more blocks than pixels
// / 64. 2^19 blocks (64 MB of coefficients) hold 2^23 pixels in three
// full-size components with room to spare.
constexpr std::uint64_t kMaxBlocks = std::uint64_t(1) << 19;
// A file of several scans (progressive, or components sent apart) is read
// scan by scan into the whole picture's coefficients before one row comes
// out, and nothing in the format limits the number of scans. A progressive
// file's scans may read the picture's blocks this many times over in all:
// libjpeg's own progressive script reads each block at most six times
// (grey), fewer in colour. A sequential file sends each component in one
// scan only, so its scans read each block once; libjpeg does not hold it to
// that, and a component sent again and again costs a full decode of its
// blocks each time, far more than a progressive refinement does. And
// whatever the picture's size, its scans read at most 2^20 blocks in all: a
// large picture in many scans would otherwise cost many frames of the
// largest size. libjpeg's own progressive script for 3840 x 2160 in colour
// stays within.
constexpr std::uint64_t kBlockReadsPerBlockProgressive = 10;
constexpr std::uint64_t kBlockReadsPerBlockSequential = 1;
constexpr std::uint64_t kMaxBlockReads = std::uint64_t(1) << 20;
// The one large buffer libjpeg makes, the coefficients of a several-scan
// file, fits in this (beyond it libjpeg fails rather than spill to disk).
constexpr long kCodecMemory = 96L * 1024 * 1024;

struct ErrorTrap {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

extern "C" void TrapError(j_common_ptr cinfo) {
  ErrorTrap* trap = reinterpret_cast<ErrorTrap*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, trap->Message);
  std::longjmp(trap->Jump, 1);
}

extern "C" void TrapMessage(j_common_ptr cinfo, int level) {
  if (level < 0) TrapError(cinfo);  // damaged data
}

void InstallTrap(ErrorTrap& trap, jpeg_common_struct& cinfo) {
  cinfo.err = jpeg_std_error(&trap.Manager);
  trap.Manager.error_exit = TrapError;
  trap.Manager.emit_message = TrapMessage;
  trap.Message[0] = '\0';
}

// ---- source: a byte range held by the caller

extern "C" void SourceInit(j_decompress_ptr) {}
extern "C" boolean SourceFill(j_decompress_ptr cinfo) {
  // Asked for more than there is: the file is cut short.
  WARNMS(cinfo, JWRN_JPEG_EOF);
  static const JOCTET eoi[2] = {0xFF, JPEG_EOI};
  cinfo->src->next_input_byte = eoi;
  cinfo->src->bytes_in_buffer = 2;
  return TRUE;
}
extern "C" void SourceSkip(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  if (std::size_t(count) > cinfo->src->bytes_in_buffer) {
    SourceFill(cinfo);
    return;
  }
  cinfo->src->next_input_byte += count;
  cinfo->src->bytes_in_buffer -= std::size_t(count);
}
extern "C" void SourceTerm(j_decompress_ptr) {}

// ---- destination: a growing malloc'd buffer

struct Destination {
  jpeg_destination_mgr Manager;
  JOCTET* Buffer;
  std::size_t Capacity;
  std::size_t Used;
};

extern "C" void DestinationInit(j_compress_ptr cinfo) {
  Destination* dest = reinterpret_cast<Destination*>(cinfo->dest);
  dest->Capacity = 65536;
  dest->Buffer = static_cast<JOCTET*>(std::malloc(dest->Capacity));
  if (dest->Buffer == nullptr) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
  dest->Manager.next_output_byte = dest->Buffer;
  dest->Manager.free_in_buffer = dest->Capacity;
}
extern "C" boolean DestinationGrow(j_compress_ptr cinfo) {
  // Called when the whole buffer is full.
  Destination* dest = reinterpret_cast<Destination*>(cinfo->dest);
  std::size_t capacity = dest->Capacity * 2;
  JOCTET* buffer = static_cast<JOCTET*>(std::realloc(dest->Buffer, capacity));
  if (buffer == nullptr) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 1);
  dest->Buffer = buffer;
  dest->Manager.next_output_byte = buffer + dest->Capacity;
  dest->Manager.free_in_buffer = capacity - dest->Capacity;
  dest->Capacity = capacity;
  return TRUE;
}
extern "C" void DestinationTerm(j_compress_ptr cinfo) {
  Destination* dest = reinterpret_cast<Destination*>(cinfo->dest);
  dest->Used = dest->Capacity - dest->Manager.free_in_buffer;
}

// ---- the two jobs. Everything they touch lives in the job record, so the
// values are defined after a jump.

// Decoding runs in two steps with the caller's allocation between them: the
// header gives the size, the caller makes the picture, and the rows are
// decoded straight into it. The codec lives from DecodeStart until
// DecodeRows or DecodeAbandon, whatever happens.
struct DecodeJob {
  jpeg_decompress_struct Codec;
  ErrorTrap Trap;
  jpeg_source_mgr Source;
  jpeg_progress_mgr Progress;
  const Byte* Data;
  std::size_t Size;
  unsigned Width;
  unsigned Height;
  bool Started;
  bool TooLarge;
  bool WholePictureBuffer;  // libjpeg holds every coefficient of the picture
  std::uint64_t BlockBudget;  // block reads all scans together may take
  TJpegDecodeWork Work;
};

// Ends the decode from inside libjpeg, as its own faults do.
[[noreturn]] void Refuse(DecodeJob* job, const char* Why) {
  std::snprintf(job->Trap.Message, sizeof job->Trap.Message, "%s", Why);
  std::longjmp(job->Trap.Jump, 1);
}

// Blocks one scan reads: a scan of one component reads that component's
// blocks, an interleaved scan whole MCUs.
std::uint64_t BlocksOfScan(const jpeg_decompress_struct& Codec) {
  if (Codec.comps_in_scan == 1)
    return std::uint64_t(Codec.cur_comp_info[0]->width_in_blocks) *
           Codec.cur_comp_info[0]->height_in_blocks;
  return std::uint64_t(Codec.MCUs_per_row) * Codec.MCU_rows_in_scan * Codec.blocks_in_MCU;
}

// Blocks of all components, padded to whole MCUs as libjpeg stores them.
std::uint64_t BlocksOfPicture(const jpeg_decompress_struct& Codec) {
  std::uint64_t blocks = 0;
  for (int c = 0; c < Codec.num_components; ++c) {
    const jpeg_component_info& comp = Codec.comp_info[c];
    auto padded = [](std::uint64_t n, int factor) { return (n + factor - 1) / factor * factor; };
    blocks += padded(comp.width_in_blocks, comp.h_samp_factor) *
              padded(comp.height_in_blocks, comp.v_samp_factor);
  }
  return blocks;
}

// libjpeg's progress monitor, called before every row of input or output:
// at the start of each scan its blocks are counted against the budget, so
// a file of endless scans stops before the scan that would exceed it.
extern "C" void WatchScans(j_common_ptr cinfo) {
  auto* codec = reinterpret_cast<j_decompress_ptr>(cinfo);
  auto* job = static_cast<DecodeJob*>(codec->client_data);
  if (codec->input_scan_number == job->Work.Scans) return;
  const std::uint64_t blocks = BlocksOfScan(*codec);
  if (job->Work.Blocks + blocks > job->BlockBudget) Refuse(job, "JPEG image has too many scans");
  job->Work.Scans = codec->input_scan_number;
  job->Work.Blocks += blocks;
}

// Reads the header and starts decompressing to blue, green, red pixels
// (grey-scale files give three equal channels). True when Width and Height
// are set; on failure Trap.Message or TooLarge says why and the codec is gone.
bool DecodeStart(DecodeJob* job) {
  job->Started = false;
  job->TooLarge = false;
  job->WholePictureBuffer = false;
  InstallTrap(job->Trap, *reinterpret_cast<jpeg_common_struct*>(&job->Codec));
  if (setjmp(job->Trap.Jump)) {
    jpeg_destroy_decompress(&job->Codec);
    return false;
  }
  jpeg_create_decompress(&job->Codec);
  job->Source.init_source = SourceInit;
  job->Source.fill_input_buffer = SourceFill;
  job->Source.skip_input_data = SourceSkip;
  job->Source.resync_to_restart = jpeg_resync_to_restart;
  job->Source.term_source = SourceTerm;
  job->Source.next_input_byte = job->Data;
  job->Source.bytes_in_buffer = job->Size;
  job->Codec.src = &job->Source;
  job->Codec.client_data = job;
  job->Progress.progress_monitor = WatchScans;
  job->Codec.progress = &job->Progress;

  jpeg_read_header(&job->Codec, TRUE);
  std::uint64_t pixels = std::uint64_t(job->Codec.image_width) * job->Codec.image_height;
  std::uint64_t blocks = BlocksOfPicture(job->Codec);
  if (pixels == 0 || pixels > kMaxPixels || pixels > kPixelsFree + job->Size * kPixelsPerByte ||
      blocks > kMaxBlocks) {
    job->TooLarge = true;
    jpeg_destroy_decompress(&job->Codec);
    return false;
  }
  // As libjpeg decides it: a file of several scans is gathered whole.
  job->WholePictureBuffer =
      job->Codec.progressive_mode || job->Codec.comps_in_scan < job->Codec.num_components;
  const std::uint64_t passes =
      job->Codec.progressive_mode ? kBlockReadsPerBlockProgressive : kBlockReadsPerBlockSequential;
  job->BlockBudget = std::min(blocks * passes, kMaxBlockReads);
  job->Codec.out_color_space = JCS_EXT_BGR;
  job->Codec.mem->max_memory_to_use = kCodecMemory;
  job->Work.CodecStarted = true;
  jpeg_start_decompress(&job->Codec);
  job->Width = job->Codec.output_width;
  job->Height = job->Codec.output_height;
  job->Started = true;
  return true;
}

// Decodes every row into Rows (Height pointers to Width * 3 bytes each) and
// ends the codec. False on failure, with Trap.Message saying why.
bool DecodeRows(DecodeJob* job, JSAMPARRAY Rows) {
  if (setjmp(job->Trap.Jump)) {
    job->Started = false;
    jpeg_destroy_decompress(&job->Codec);
    return false;
  }
  while (job->Codec.output_scanline < job->Codec.output_height)
    jpeg_read_scanlines(&job->Codec, Rows + job->Codec.output_scanline,
                        job->Codec.output_height - job->Codec.output_scanline);
  jpeg_finish_decompress(&job->Codec);
  job->Started = false;
  jpeg_destroy_decompress(&job->Codec);
  return true;
}

void DecodeAbandon(DecodeJob* job) {
  if (!job->Started) return;
  job->Started = false;
  jpeg_destroy_decompress(&job->Codec);
}

struct EncodeJob {
  jpeg_compress_struct Codec;
  ErrorTrap Trap;
  Destination Dest;
  const Byte* Rows;  // top-down rows of Width * 3 bytes, R, G, B
  unsigned Width;
  unsigned Height;
  int Quality;
};

bool RunEncode(EncodeJob* job) {
  job->Dest.Buffer = nullptr;
  job->Dest.Used = 0;
  InstallTrap(job->Trap, *reinterpret_cast<jpeg_common_struct*>(&job->Codec));
  if (setjmp(job->Trap.Jump)) {
    jpeg_destroy_compress(&job->Codec);
    std::free(job->Dest.Buffer);
    job->Dest.Buffer = nullptr;
    return false;
  }
  jpeg_create_compress(&job->Codec);
  job->Dest.Manager.init_destination = DestinationInit;
  job->Dest.Manager.empty_output_buffer = DestinationGrow;
  job->Dest.Manager.term_destination = DestinationTerm;
  job->Codec.dest = &job->Dest.Manager;

  job->Codec.image_width = job->Width;
  job->Codec.image_height = job->Height;
  job->Codec.input_components = 3;
  job->Codec.in_color_space = JCS_RGB;
  jpeg_set_defaults(&job->Codec);
  job->Codec.dct_method = JDCT_FLOAT;
  jpeg_set_quality(&job->Codec, job->Quality, TRUE);
  jpeg_start_compress(&job->Codec, TRUE);
  std::size_t rowBytes = std::size_t(job->Width) * 3;
  while (job->Codec.next_scanline < job->Codec.image_height) {
    JSAMPROW rows[1] = {const_cast<Byte*>(job->Rows + rowBytes * job->Codec.next_scanline)};
    jpeg_write_scanlines(&job->Codec, rows, 1);
  }
  jpeg_finish_compress(&job->Codec);
  jpeg_destroy_compress(&job->Codec);
  return true;
}

int ClampQuality(int Value) { return Value < 1 ? 1 : Value > 100 ? 100 : Value; }

}  // namespace

namespace {

// The decoded picture as a new 24-bit bitmap, its rows written by libjpeg
// and by nobody before it. Work, when given, tells what the decode did, also
// when it failed.
std::unique_ptr<TBitmap> DecodeToBitmap(const Byte* Data, std::size_t Size, TJpegDecodeWork* Work) {
  auto job = std::make_unique<DecodeJob>();
  job->Data = Data;
  job->Size = Size;
  struct Report {
    const DecodeJob& Job;
    TJpegDecodeWork* To;
    ~Report() {
      if (To != nullptr) *To = Job.Work;
    }
  } report{*job, Work};
  // libjpeg takes a several-scan file's coefficients (up to tens of MB) from
  // malloc, which keeps a freed block that large for the next request once it
  // has seen one: after the codec is gone, the memory goes back to the system.
  struct GiveBack {
    const DecodeJob& Job;
    ~GiveBack() {
      if (Job.WholePictureBuffer) malloc_trim(0);
    }
  } giveBack{*job};
  if (!DecodeStart(job.get())) {
    if (job->TooLarge) throw EInvalidGraphic("JPEG image is too large");
    throw EInvalidGraphic(job->Trap.Message);
  }
  auto picture = std::make_unique<TBitmap>();
  std::vector<JSAMPROW> rows;
  try {
    picture->NewPicture(pf24bit, int(job->Width), int(job->Height));
    job->Work.PictureBytes = std::size_t(picture->BytesPerLine()) * job->Height;
    rows.resize(job->Height);
  } catch (const std::bad_alloc&) {
    // Told as libjpeg tells its own shortage of memory.
    job->Codec.err->msg_code = JERR_OUT_OF_MEMORY;
    job->Codec.err->msg_parm.i[0] = 2;
    (*job->Codec.err->format_message)(reinterpret_cast<j_common_ptr>(&job->Codec),
                                      job->Trap.Message);
    DecodeAbandon(job.get());
    throw EInvalidGraphic(job->Trap.Message);
  } catch (...) {
    DecodeAbandon(job.get());
    throw;
  }
  for (unsigned y = 0; y < job->Height; ++y)
    rows[y] = static_cast<JSAMPROW>(picture->ScanLine(int(y)));
  if (!DecodeRows(job.get(), rows.data())) throw EInvalidGraphic(job->Trap.Message);
  return picture;
}

}  // namespace

void DecodeJpeg(const Byte* Data, std::size_t Size, TBitmap& Bitmap, TJpegDecodeWork* Work) {
  std::unique_ptr<TBitmap> picture = DecodeToBitmap(Data, Size, Work);
  Bitmap.Assign(picture.get());
}

std::vector<Byte> EncodeJpeg(const TBitmap& Bitmap, int Quality) {
  if (Bitmap.Empty()) throw EInvalidGraphic("Cannot encode an empty picture");
  int width = Bitmap.Width();
  int height = Bitmap.Height();
  std::vector<Byte> rows(std::size_t(width) * 3 * std::size_t(height));
  Byte* to = rows.data();
  for (int y = 0; y < height; ++y) {
    if (Bitmap.PixelFormat() == pf24bit) {
      const Byte* from = static_cast<const Byte*>(Bitmap.ScanLine(y));
      for (int x = 0; x < width; ++x, to += 3, from += 3) {
        to[0] = from[2];
        to[1] = from[1];
        to[2] = from[0];
      }
    } else {
      for (int x = 0; x < width; ++x, to += 3) {
        TColor color = Bitmap.Pixel(x, y);
        to[0] = Byte(GetRValue(color));
        to[1] = Byte(GetGValue(color));
        to[2] = Byte(GetBValue(color));
      }
    }
  }

  auto job = std::make_unique<EncodeJob>();
  job->Rows = rows.data();
  job->Width = unsigned(width);
  job->Height = unsigned(height);
  job->Quality = ClampQuality(Quality);
  if (!RunEncode(job.get())) throw EInvalidGraphic(job->Trap.Message);
  std::unique_ptr<JOCTET, void (*)(void*)> buffer(job->Dest.Buffer, std::free);
  return std::vector<Byte>(buffer.get(), buffer.get() + job->Dest.Used);
}

// ---------------------------------------------------------------- TJPEGImage

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    FData.clear();
    FBitmap.reset();
    FBitmapHandedOut = false;
    Changed(this);
  } else if (auto* jpeg = dynamic_cast<TJPEGImage*>(Source)) {
    FData = jpeg->FData;
    if (jpeg->FBitmap && jpeg->FBitmapHandedOut) {
      auto copy = std::make_shared<TBitmap>();
      copy->Assign(jpeg->FBitmap.get());
      FBitmap = std::move(copy);
    } else {
      FBitmap = jpeg->FBitmap;  // shared until either side hands it out
    }
    FBitmapHandedOut = false;
    FQuality = jpeg->FQuality;
    Changed(this);
  } else if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
    auto copy = std::make_shared<TBitmap>();
    copy->Assign(bitmap);
    copy->SetTransparent(false);
    copy->SetPixelFormat(pf24bit);
    FBitmap = copy->Empty() ? nullptr : std::move(copy);
    FBitmapHandedOut = false;
    FData.clear();
    Changed(this);
  } else {
    TGraphic::Assign(Source);
  }
}

void TJPEGImage::AssignTo(TPersistent* Dest) {
  if (auto* bitmap = dynamic_cast<TBitmap*>(Dest)) {
    bitmap->Assign(FBitmap.get());
    return;
  }
  TGraphic::AssignTo(Dest);
}

TBitmap* TJPEGImage::Bitmap() const {
  if (FBitmap && FBitmap.use_count() > 1) {
    auto own = std::make_shared<TBitmap>();
    own->Assign(FBitmap.get());
    FBitmap = std::move(own);
  }
  FBitmapHandedOut = FBitmap != nullptr;
  return FBitmap.get();
}

int TJPEGImage::Width() const { return FBitmap ? FBitmap->Width() : 0; }
int TJPEGImage::Height() const { return FBitmap ? FBitmap->Height() : 0; }

void TJPEGImage::SetWidth(int) {
  throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}
void TJPEGImage::SetHeight(int) {
  throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

bool TJPEGImage::Empty() const { return !FBitmap || FBitmap->Empty(); }

void TJPEGImage::SetCompressionQuality(int Value) { FQuality = ClampQuality(Value); }

void TJPEGImage::Compress() {
  if (Empty()) throw EInvalidGraphic("Cannot encode an empty picture");
  FData = EncodeJpeg(*FBitmap, FQuality);
}

const std::vector<Byte>& TJPEGImage::Data() {
  if (FData.empty() && !Empty()) Compress();
  return FData;
}

void TJPEGImage::LoadFromBytes(const Byte* Data, std::size_t Size) {
  LoadFromVector(std::vector<Byte>(Data, Data + Size));
}

void TJPEGImage::LoadFromVector(std::vector<Byte>&& Data) {
  std::shared_ptr<TBitmap> picture = DecodeToBitmap(Data.data(), Data.size(), nullptr);
  FData = std::move(Data);
  FBitmap = std::move(picture);
  FBitmapHandedOut = false;
  SetPaletteModified(true);
  Changed(this);
}

void TJPEGImage::LoadFromStream(TStream* Stream) {
  std::int64_t remaining = Stream->Size() - Stream->Position();
  if (remaining < 0) remaining = 0;
  if (remaining > std::numeric_limits<int>::max()) throw EInvalidGraphic("JPEG image is too large");
  std::vector<Byte> data(static_cast<std::size_t>(remaining));
  if (remaining > 0) Stream->ReadBuffer(data.data(), int(remaining));
  LoadFromVector(std::move(data));
}

void TJPEGImage::SaveToStream(TStream* Stream) {
  const std::vector<Byte>& data = Data();
  if (!data.empty()) Stream->WriteBuffer(data.data(), int(data.size()));
}

void TJPEGImage::ReadData(TStream* Stream) {
  Byte prefix[4];
  Stream->ReadBuffer(prefix, 4);
  std::uint32_t length = std::uint32_t(prefix[0]) | std::uint32_t(prefix[1]) << 8 |
                         std::uint32_t(prefix[2]) << 16 | std::uint32_t(prefix[3]) << 24;
  if (std::int64_t(length) > Stream->Size() - Stream->Position()) throw EReadError(SReadError);
  std::vector<Byte> data(length);
  if (length > 0) Stream->ReadBuffer(data.data(), int(length));
  LoadFromVector(std::move(data));
}

void TJPEGImage::WriteData(TStream* Stream) {
  const std::vector<Byte>& data = Data();
  std::uint32_t length = std::uint32_t(data.size());
  Byte prefix[4] = {Byte(length), Byte(length >> 8), Byte(length >> 16), Byte(length >> 24)};
  Stream->WriteBuffer(prefix, 4);
  if (length > 0) Stream->WriteBuffer(data.data(), int(length));
}

void TJPEGImage::SaveToClipboardFormat(TClipboardFormat& Format, std::vector<Byte>& Data) {
  if (Empty()) return;
  FBitmap->SaveToClipboardFormat(Format, Data);
}

void TJPEGImage::LoadFromClipboardFormat(TClipboardFormat Format, const std::vector<Byte>& Data) {
  TBitmap bitmap;
  bitmap.LoadFromClipboardFormat(Format, Data);
  Assign(&bitmap);
}

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (!Empty()) FBitmap->Draw(ACanvas, Rect);
}
