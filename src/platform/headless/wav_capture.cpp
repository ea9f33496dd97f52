#include "platform/headless/wav_capture.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

namespace lw::platform {
namespace {

constexpr std::size_t kHeaderBytes = 44;
constexpr std::uint32_t kFormatChunkBytes = 16;
constexpr std::uint16_t kPcm = 1;
constexpr int kBitsPerByte = 8;
constexpr std::uint8_t kSilent8Bit = 0x80;
// The RIFF size field counts everything after itself: 36 header bytes and the data.
constexpr std::uint64_t kRiffOverhead = kHeaderBytes - 8;
constexpr std::uint64_t kMaxDataBytes = std::numeric_limits<std::uint32_t>::max() - kRiffOverhead;
constexpr std::size_t kSilenceChunkBytes = 4096;

void Put16(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
  Put16(at, value & 0xFFFF);
  Put16(at + 2, value >> 16);
}

std::array<std::uint8_t, kHeaderBytes> Header(const AudioFormat& format, std::uint32_t dataBytes) {
  std::array<std::uint8_t, kHeaderBytes> header{};
  const auto blockAlign = static_cast<std::uint32_t>(format.channels * format.bytesPerSample);
  const auto rate = static_cast<std::uint32_t>(format.samplesPerSecond);
  std::memcpy(&header[0], "RIFF", 4);
  Put32(&header[4], static_cast<std::uint32_t>(kRiffOverhead + dataBytes));
  std::memcpy(&header[8], "WAVEfmt ", 8);
  Put32(&header[16], kFormatChunkBytes);
  Put16(&header[20], kPcm);
  Put16(&header[22], static_cast<std::uint32_t>(format.channels));
  Put32(&header[24], rate);
  Put32(&header[28], rate * blockAlign);
  Put16(&header[32], blockAlign);
  Put16(&header[34], static_cast<std::uint32_t>(format.bytesPerSample * kBitsPerByte));
  std::memcpy(&header[36], "data", 4);
  Put32(&header[40], dataBytes);
  return header;
}

}  // namespace

Expected<std::unique_ptr<WavCapture>, std::string> WavCapture::Create(const std::string& path,
                                                                      int bytesPerSample) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return Unexpected(path + ": " + std::strerror(errno));
  std::unique_ptr<WavCapture> capture(new WavCapture(path, file, bytesPerSample));
  if (std::optional<std::string> error = capture->flush()) return Unexpected(*error);
  return capture;
}

WavCapture::WavCapture(std::string path, std::FILE* file, int bytesPerSample)
    : path_(std::move(path)), file_(file), onlyBytesPerSample_(bytesPerSample) {}

bool WavCapture::allows(const AudioFormat& format) const {
  return onlyBytesPerSample_ == 0 || format.bytesPerSample == onlyBytesPerSample_;
}

WavCapture::~WavCapture() {
  flush();
  std::fclose(file_);
}

bool WavCapture::takeFormat(const AudioFormat& format) {
  if (!formatTaken_) {
    format_ = format;
    formatTaken_ = true;
    return true;
  }
  return format.samplesPerSecond == format_.samplesPerSecond &&
         format.bytesPerSample == format_.bytesPerSample && format.channels == format_.channels;
}

std::size_t WavCapture::frameBytes() const {
  return static_cast<std::size_t>(format_.channels) *
         static_cast<std::size_t>(format_.bytesPerSample);
}

std::uint64_t WavCapture::frames() const { return dataBytes_ / frameBytes(); }

void WavCapture::append(std::span<const std::uint8_t> samples) { write(samples); }

void WavCapture::appendSilence(std::uint64_t frames) {
  const std::uint8_t silence = format_.bytesPerSample == 1 ? kSilent8Bit : 0;
  const std::vector<std::uint8_t> chunk(kSilenceChunkBytes, silence);
  for (std::uint64_t left = frames * frameBytes(); left > 0 && !error_;) {
    const std::size_t now = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
    write(std::span(chunk).first(now));
    left -= now;
  }
}

void WavCapture::padTo(std::uint64_t frames) {
  if (frames > this->frames()) appendSilence(frames - this->frames());
}

void WavCapture::write(std::span<const std::uint8_t> bytes) {
  if (error_ || bytes.empty()) return;
  if (dataBytes_ + bytes.size() > kMaxDataBytes) {
    fail("the sound is too long for a WAV file; the rest is not recorded");
    return;
  }
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    fail(std::strerror(errno));
    return;
  }
  dataBytes_ += bytes.size();
}

std::optional<std::string> WavCapture::flush() {
  writeHeader();  // even after a failure, so that the header counts what was written
  return error_;
}

// Rewrites the header in place and comes back to the end, where the samples go on.
void WavCapture::writeHeader() {
  const auto header = Header(format_, static_cast<std::uint32_t>(dataBytes_));
  if (std::fseek(file_, 0, SEEK_SET) != 0 ||
      std::fwrite(header.data(), 1, header.size(), file_) != header.size() ||
      std::fseek(file_, 0, SEEK_END) != 0 || std::fflush(file_) != 0) {
    fail(std::strerror(errno));
  }
}

void WavCapture::fail(const std::string& reason) {
  if (!error_) error_ = path_ + ": " + reason;
}

}  // namespace lw::platform
