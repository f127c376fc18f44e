#include "appconfig/AppStreamBin.h"

#include "appconfig/AppRuleInterface.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <system_error>
#include <thread>
#include <type_traits>
#include <typeinfo>
#include <unordered_set>
#include <utility>
#include <variant>

#include "../core/AppDebugMute.h"
#include "../core/AppLibraryClasses.h"
#include "../core/AppTempFile.h"
#include "AppFreshMemory.h"
#include "AppReadOnlyMemory.h"
#include "AppStreamBinInternal.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppParamGroup.h"

namespace {

// --- The field types, once for the writer, the reader and the clone ---------

enum class Kind { Integer, Real, Flags, TypeCode, String, Param, Variant };

struct FieldType {
  std::uint32_t code;   // low 12 bits of a field type code
  std::uint32_t bytes;  // bytes per entry in a file; 0: not stored as such
  Kind kind;
};

constexpr FieldType kFieldTypes[] = {
    {CAppRecord::FT_I1, 1, Kind::Integer},    {CAppRecord::FT_UI1, 1, Kind::Integer},
    {CAppRecord::FT_I2, 2, Kind::Integer},    {CAppRecord::FT_UI2, 2, Kind::Integer},
    {CAppRecord::FT_I4, 4, Kind::Integer},    {CAppRecord::FT_UI4, 4, Kind::Integer},
    {CAppRecord::FT_I8, 8, Kind::Integer},    {CAppRecord::FT_UI8, 8, Kind::Integer},
    {CAppVariant::VT_R4, 4, Kind::Real},      {CAppVariant::VT_R8, 8, Kind::Real},
    {CAppRecord::FT_FLAGS, 4, Kind::Flags},   {CAppRecord::FT_TYPE, 4, Kind::TypeCode},
    {CAppRecord::FT_STRING, 4, Kind::String}, {CAppRecord::FT_PARAM, 0, Kind::Param},
    {CAppRecord::FT_VARIANT, 0, Kind::Variant},
};

constexpr std::uint32_t kElementMask = 0x0FFFu;

// The row of each low-12-bit code, so that a lookup is one index.
constexpr auto kFieldTypeRows = [] {
  std::array<std::int8_t, kElementMask + 1> rows{};
  rows.fill(-1);
  for (std::size_t i = 0; i < std::size(kFieldTypes); ++i) rows[kFieldTypes[i].code] = static_cast<std::int8_t>(i);
  return rows;
}();

const FieldType* FindFieldType(std::uint32_t code) {
  if ((code & ~(kElementMask | CAppRecord::FT_ARRAY)) != 0) return nullptr;
  const std::int8_t row = kFieldTypeRows[code & kElementMask];
  return row >= 0 ? &kFieldTypes[row] : nullptr;
}

// Per low-12-bit code: log2 of the bytes of one entry in a file, or -1 for a
// code that is not stored entry by entry (unknown, parameter, variant).
constexpr auto kEntryShifts = [] {
  std::array<std::int8_t, kElementMask + 1> shifts{};
  shifts.fill(-1);
  for (const FieldType& type : kFieldTypes) {
    if (type.bytes != 0) shifts[type.code] = static_cast<std::int8_t>(std::countr_zero(type.bytes));
  }
  return shifts;
}();

int EntryShift(std::uint32_t code) {
  if ((code & ~(kElementMask | CAppRecord::FT_ARRAY)) != 0) return -1;
  return kEntryShifts[code & kElementMask];
}

// The stored types a variant field is read from: none (the empty variant),
// or one integer, real or string.
constexpr auto kVariantSources = [] {
  std::array<bool, kElementMask + 1> sources{};
  sources[0] = true;
  for (const FieldType& type : kFieldTypes) {
    sources[type.code] = type.kind == Kind::Integer || type.kind == Kind::Real || type.kind == Kind::String;
  }
  return sources;
}();

bool IsVariantSource(std::uint32_t stored) { return stored <= kElementMask && kVariantSources[stored]; }

// A 32-bit word in any of its guises: flags, type codes and 32-bit integers
// share one layout in a file.
bool IsWord(const FieldType& type) {
  return type.kind == Kind::Flags || type.kind == Kind::TypeCode ||
         (type.kind == Kind::Integer && type.bytes == 4);
}

// Whether a field the class asks for as `asked` may be read from an element
// stored as `stored`. Signedness may differ; widths and kinds may not, so
// that a read never reaches past its element.
bool IsReadableAs(std::uint32_t asked, std::uint32_t stored) {
  const FieldType* a = FindFieldType(asked);
  if (a == nullptr) return false;
  if (a->kind == Kind::Variant) return IsVariantSource(stored);
  if ((asked & CAppRecord::FT_ARRAY) != (stored & CAppRecord::FT_ARRAY)) return false;
  const FieldType* s = FindFieldType(stored);
  if (s == nullptr) return false;
  if (a->kind == s->kind) return a->kind != Kind::Integer || a->bytes == s->bytes;
  return IsWord(*a) && IsWord(*s);
}

// Raw integer bytes in and out of a value of `bytes` width.
// Views of literals: their data ends in a zero byte, for Do.
constexpr std::string_view kReservedNames[] = {"SYS_IDENT_VALUE", "SYS_VERSION_VALUE", "SYS_HEADER_SECTION",
                                               "SYS_DATA_SECTION", "SYS_STRING_SECTION"};
constexpr std::size_t kReservedCount = std::size(kReservedNames);

bool IsReserved(std::uint32_t code) {
  return code >= CAppStreamBin::NAME_IDENT_VALUE && code <= CAppStreamBin::NAME_STRING_SECTION;
}

// Parameters nest this deep at most in a file; real trees stay far below,
// and the reader's recursion must not exhaust the stack on a crafted file.
constexpr unsigned kMaxDepth = 256;

constexpr const char* kExceptionPrefix = "Exception >";

// The field a group's children are adopted under (see CAppParam::Serialize).
const std::string kKeyField = "Key";

// Little-endian words in and out of the image, whatever the host's order.
void PutWord(std::uint8_t* out, std::uint32_t word) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out, &word, sizeof word);
  } else {
    for (int i = 0; i < 4; ++i, word >>= 8) out[i] = static_cast<std::uint8_t>(word & 0xFFu);
  }
}

// The low `count` bytes of `value` (1, 2, 4 or 8), little-endian.
void PutBytes(std::uint8_t* out, std::uint64_t value, std::uint32_t count) {
  if constexpr (std::endian::native == std::endian::little) {
    switch (count) {
      case 1: *out = static_cast<std::uint8_t>(value); return;
      case 2: std::memcpy(out, &value, 2); return;
      case 4: std::memcpy(out, &value, 4); return;
      case 8: std::memcpy(out, &value, 8); return;
      default: break;
    }
  }
  for (std::uint32_t i = 0; i < count; ++i, value >>= 8) out[i] = static_cast<std::uint8_t>(value & 0xFFu);
}

std::uint32_t GetWord(const std::uint8_t* in) {
  return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8 |
         static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[3]) << 24;
}

std::uint64_t Load64(const unsigned char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

std::uint64_t Load32(const unsigned char* p) {
  std::uint32_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// A hash for the short texts of a file (keys, names, field names), eight
// bytes a step: the string table hashes every text a file writes. The tail
// is read as whole words that may overlap bytes already mixed, never byte
// by byte.
[[gnu::always_inline]] inline std::uint64_t HashText(std::string_view text) {
  constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t n = text.size();
  std::uint64_t h = kMul ^ n;
  auto mix = [&h](std::uint64_t word) { h = (std::rotl(h, 23) ^ word) * kMul; };
  if (n > 8) {
    for (; n > 8; p += 8, n -= 8) mix(Load64(p));
    mix(Load64(p + n - 8));
  } else if (n >= 4) {
    mix(Load32(p) | Load32(p + n - 4) << 32);
  } else if (n != 0) {
    mix(std::uint64_t{p[0]} | std::uint64_t{p[n / 2]} << 8 | std::uint64_t{p[n - 1]} << 16);
  }
  // The table indexes by the low bits: fold the high ones, which depend on
  // every input byte, into them.
  h ^= h >> 32;
  h *= 0xD6E8FEB86659FD93ull;
  return h ^ (h >> 32);
}

// Equality of two short texts without a library call; names and keys are
// mostly under 16 bytes.
[[gnu::always_inline]] inline bool SameText(std::string_view a, std::string_view b) {
  const std::size_t n = a.size();
  if (n != b.size()) return false;
  if (n >= 8 && n <= 16) {
    std::uint64_t a0, a1, b0, b1;
    std::memcpy(&a0, a.data(), 8);
    std::memcpy(&b0, b.data(), 8);
    std::memcpy(&a1, a.data() + n - 8, 8);
    std::memcpy(&b1, b.data() + n - 8, 8);
    return ((a0 ^ b0) | (a1 ^ b1)) == 0;
  }
  if (n >= 4 && n < 8) {
    std::uint32_t a0, a1, b0, b1;
    std::memcpy(&a0, a.data(), 4);
    std::memcpy(&b0, b.data(), 4);
    std::memcpy(&a1, a.data() + n - 4, 4);
    std::memcpy(&b1, b.data() + n - 4, 4);
    return ((a0 ^ b0) | (a1 ^ b1)) == 0;
  }
  if (n < 4) {
    for (std::size_t i = 0; i < n; ++i) {
      if (a[i] != b[i]) return false;
    }
    return true;
  }
  // Longer ones word by word, the last word overlapping, without a call:
  // the callers' usual path calls nothing.
  std::uint64_t diff = 0;
  for (std::size_t i = 0; i + 8 < n; i += 8) {
    std::uint64_t x, y;
    std::memcpy(&x, a.data() + i, 8);
    std::memcpy(&y, b.data() + i, 8);
    diff |= x ^ y;
  }
  std::uint64_t x, y;
  std::memcpy(&x, a.data() + n - 8, 8);
  std::memcpy(&y, b.data() + n - 8, 8);
  return (diff | (x ^ y)) == 0;
}

template <class Strings>
bool SameTexts(const std::vector<std::string>& a, const Strings& b) {
  if (a.size() != b.size()) return false;
  auto text = b.begin();
  for (const std::string& known : a) {
    if (!SameText(known, *text++)) return false;
  }
  return true;
}

// The first bytes of an object, where a parameter keeps its fields.
inline void PrefetchObject(const void* object) {
  constexpr std::size_t kLine = 64, kBytes = 448;
  const auto* p = static_cast<const char*>(object);
  for (std::size_t at = 0; at < kBytes; at += kLine) __builtin_prefetch(p + at);
}

}  // namespace

// The names looked up last and their indexes, one per slot of a small
// direct-mapped table. Every parameter of a class visits the same few field
// names in the same order: each entry remembers the one looked up after it,
// so that most lookups are one comparison, and nearly all the others hit the
// table and spare a lookup in the large one.
class CAppStreamBin::RecentNames {
public:
  const std::uint32_t* Find(std::string_view name) {
    Entry* entry = m_pLast != nullptr ? m_pLast->next : nullptr;
    if (entry == nullptr || !SameText(entry->name, name)) {
      entry = &m_entries[HashText(name) % kSize];
      if (!entry->used || !SameText(entry->name, name)) return nullptr;
      Follow(entry);
    }
    m_pLast = entry;
    return &entry->index;
  }
  void Add(std::string_view name, std::uint32_t index) {
    Entry* entry = &m_entries[HashText(name) % kSize];
    entry->name = name;
    entry->index = index;
    entry->used = true;
    Follow(entry);
    m_pLast = entry;
  }

private:
  struct Entry {
    std::string name;
    std::uint32_t index = 0;
    bool used = false;
    Entry* next = nullptr;  // the entry looked up after this one last time
  };
  void Follow(Entry* entry) {
    if (m_pLast != nullptr) m_pLast->next = entry;
  }
  static constexpr std::size_t kSize = 64;
  std::array<Entry, kSize> m_entries;
  Entry* m_pLast = nullptr;
};

// --- Stream ----------------------------------------------------------------------

// The strings of one file in index order, each followed by its zero byte as
// in the string section, with an open-addressing index over them. Offsets,
// not pointers, so that the storage may grow. A reader indexes the string
// section where it lies instead of copying it.
class CAppStreamBin::Stream::StringTable {
public:
  StringTable() : m_slots(1024, 0) {}

  // From now on every text added lies in `chars` (which outlives the table)
  // and is indexed there.
  void IndexInPlace(const char* chars) {
    if (m_spans.empty()) m_pExternal = chars;
  }

  // Room for `count` strings at most (a reader knows it before it adds any).
  void Reserve(std::size_t count) {
    if (!m_spans.empty()) return;
    m_spans.reserve(count);
    std::size_t slots = m_slots.size();
    while (slots < 2 * count + 2) slots *= 2;
    if (slots != m_slots.size()) m_slots.assign(slots, 0);
  }

  // The index of `text`, and whether it was added now.
  std::pair<std::uint32_t, bool> Add(std::string_view text) {
    // Most parameters leave some texts empty: no need to hash those.
    if (text.empty() && m_nEmpty != kNone) return {m_nEmpty, false};
    const std::size_t hash = HashText(text);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const std::uint32_t slot = m_slots[i];
      if (slot == 0) return Insert(text, hash, i);
      const Span& span = m_spans[slot - 1];
      if (span.hash == hash && SameText(At(slot - 1), text)) return {slot - 1, false};
    }
  }

  std::string_view At(std::uint32_t index) const {
    const Span& span = m_spans[index];
    return std::string_view((m_pExternal != nullptr ? m_pExternal : m_chars.data()) + span.offset, span.length);
  }
  std::uint32_t Count() const { return static_cast<std::uint32_t>(m_spans.size()); }
  // Every string with its zero byte, in index order.
  const std::vector<char>& Chars() const { return m_chars; }

private:
  struct Span {
    std::uint32_t offset;
    std::uint32_t length;
    std::size_t hash;
  };

  // A text met for the first time, into free slot `i`: apart, so that a
  // text met before is found without a call.
  [[gnu::noinline]] std::pair<std::uint32_t, bool> Insert(std::string_view text, std::size_t hash, std::size_t i) {
    const std::uint32_t index = Append(text, hash);
    m_slots[i] = index + 1;
    if (text.empty()) m_nEmpty = index;
    if (m_spans.size() * 2 > m_slots.size()) Grow();
    return {index, true};
  }

  std::uint32_t Append(std::string_view text, std::size_t hash) {
    if (m_pExternal != nullptr) {
      m_spans.push_back(Span{static_cast<std::uint32_t>(text.data() - m_pExternal),
                             static_cast<std::uint32_t>(text.size()), hash});
      return static_cast<std::uint32_t>(m_spans.size() - 1);
    }
    // A zero byte would split the string in two in a file.
    if (std::memchr(text.data(), 0, text.size()) != nullptr) APP_THROW("Invalid Data");
    if (text.size() >= std::numeric_limits<std::uint32_t>::max() - m_chars.size()) APP_THROW("Bad file size");
    m_spans.push_back(Span{static_cast<std::uint32_t>(m_chars.size()), static_cast<std::uint32_t>(text.size()), hash});
    m_chars.insert(m_chars.end(), text.begin(), text.end());
    m_chars.push_back('\0');
    return static_cast<std::uint32_t>(m_spans.size() - 1);
  }

  void Grow() {
    std::vector<std::uint32_t> slots(m_slots.size() * 2, 0);
    const std::size_t mask = slots.size() - 1;
    for (std::uint32_t index = 0; index < m_spans.size(); ++index) {
      std::size_t i = m_spans[index].hash & mask;
      while (slots[i] != 0) i = (i + 1) & mask;
      slots[i] = index + 1;
    }
    m_slots.swap(slots);
  }

  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  std::vector<char> m_chars;
  std::vector<Span> m_spans;
  std::vector<std::uint32_t> m_slots;  // index + 1; 0 is free
  std::uint32_t m_nEmpty = kNone;      // the index of "", once added
  const char* m_pExternal = nullptr;
};

CAppStreamBin::Stream::Stream(CAppToolsBin::Stream* bytes)
    : m_strings(std::make_shared<StringTable>()), m_pBytes(bytes) {
  APP_CHECK_POINTER(bytes);
}

CAppStreamBin::Stream::Stream(CAppToolsBin::Stream* bytes, std::shared_ptr<StringTable> strings)
    : m_strings(std::move(strings)), m_pBytes(bytes) {}

CAppStreamBin::Stream::~Stream() = default;

std::uint32_t CAppStreamBin::Stream::SetName(std::string_view text) { return m_strings->Add(text).first; }

std::uint32_t CAppStreamBin::Stream::GetStringCount() const { return m_strings->Count(); }

std::string_view CAppStreamBin::Stream::GetName(std::uint32_t code) const {
  if (IsReserved(code)) return kReservedNames[code - NAME_IDENT_VALUE];
  if (code >= m_strings->Count()) APP_THROW("Bad data index");
  return m_strings->At(code);
}

// --- Writing ---------------------------------------------------------------------

namespace {

// Parts grow with the image up to this size: small files stay small, large
// ones are written to disk in a few large writes.
constexpr std::size_t kFirstPart = 4096;
constexpr std::size_t kLargestPart = 256 * 1024;
// Offsets are 32-bit: a file must stay below 4 GiB.
constexpr std::size_t kLargestFile = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint32_t kWriteBackStep = 1024 * 1024;
// A file this large goes to the disk through a writer thread.
constexpr std::uint32_t kWriterFrom = 1024 * 1024;

// A write to the file that failed, with the reason Save reports. Not an
// exception of the library, so that it passes through the parameters'
// Serialize unchanged.
struct WriteFailure {
  std::string reason;
};

}  // namespace

// Writes the full parts of a file on a thread of its own while the tree is
// visited, so that copying them to the system and starting the disk do not
// hold up the visit. While it runs, it alone writes to the file; the stream
// writes again once StopWriter has waited for it.
class CAppStreamBin::SaveStream::Writer {
public:
  explicit Writer(SaveStream& stream) : m_stream(stream), m_thread([this] { Run(); }) {}
  ~Writer() { Stop(); }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // Queues the `count` bytes of a full part for offset `at`, and hands back
  // the room for the next part (kLargestPart bytes). Waits while the parts
  // in flight hold all the room allowed.
  std::unique_ptr<std::uint8_t[]> Swap(std::unique_ptr<std::uint8_t[]> bytes, std::uint32_t at, std::size_t count) {
    Give(std::move(bytes), at, count);
    std::unique_lock lock(m_mutex);
    if (m_free.empty() && m_nBuffers < kBuffers) {
      ++m_nBuffers;
      lock.unlock();
      return AppNewBytesForWriting(kLargestPart);
    }
    m_bStreamWaits = true;
    m_changed.wait(lock, [this] { return !m_free.empty(); });
    m_bStreamWaits = false;
    std::unique_ptr<std::uint8_t[]> room = std::move(m_free.back());
    m_free.pop_back();
    return room;
  }
  // Queues a full part without asking room back: the last ones of a file.
  void Give(std::unique_ptr<std::uint8_t[]> bytes, std::uint32_t at, std::size_t count) {
    std::lock_guard lock(m_mutex);
    m_jobs.push_back(Job{std::move(bytes), at, count, {}});
  }
  // Queues a header completed after its part was queued: written after that
  // part, while the tree is still visited, rather than all at the end.
  void Patch(std::uint32_t at, const std::array<std::uint8_t, HEADER_SIZE>& header) {
    std::lock_guard lock(m_mutex);
    m_jobs.push_back(Job{nullptr, at, HEADER_SIZE, header});
  }
  // A write failed; the stream's error tells why once Stop returned.
  bool Failed() const { return m_failed.load(std::memory_order_relaxed); }
  // Waits until every part queued is written.
  void Stop() {
    {
      std::lock_guard lock(m_mutex);
      m_bStopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
  }

private:
  struct Job {
    std::unique_ptr<std::uint8_t[]> bytes;  // null for a header patch
    std::uint32_t at;
    std::size_t count;
    std::array<std::uint8_t, HEADER_SIZE> header;
  };
  // Parts in flight at most: the disk is not kept waiting, nor is much
  // memory held.
  static constexpr std::size_t kBuffers = 8;
  // The stream does not wake the writer for each part it queues: a wake-up
  // through the system costs the visit more than the writer loses by
  // looking for work this often. Only the stop wakes it.
  static constexpr std::chrono::microseconds kLookEvery{100};

  void Run() {
    if (m_stream.m_nReplaced >= 0) {
      // The replaced file was flushed by its own save: its cached pages are
      // clean, and dropping them now spares the rename that work.
      ::posix_fadvise(m_stream.m_nReplaced, 0, 0, POSIX_FADV_DONTNEED);
    }
    for (;;) {
      Job job;
      {
        std::unique_lock lock(m_mutex);
        while (m_jobs.empty() && !m_bStopping) m_changed.wait_for(lock, kLookEvery);
        if (m_jobs.empty()) return;
        job = std::move(m_jobs.front());
        m_jobs.pop_front();
      }
      const std::uint8_t* bytes = job.bytes ? job.bytes.get() : job.header.data();
      if (!m_stream.TryWrite(job.at, bytes, job.count)) m_failed.store(true, std::memory_order_relaxed);
      if (!job.bytes) continue;
      bool wake = false;
      {
        std::lock_guard lock(m_mutex);
        m_free.push_back(std::move(job.bytes));
        wake = m_bStreamWaits;
      }
      if (wake) m_changed.notify_all();
    }
  }

  SaveStream& m_stream;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::deque<Job> m_jobs;
  std::vector<std::unique_ptr<std::uint8_t[]>> m_free;
  std::size_t m_nBuffers = 0;
  bool m_bStopping = false;
  bool m_bStreamWaits = false;  // for a free room
  std::atomic<bool> m_failed{false};
  std::thread m_thread;  // last: starts once the rest is ready
};

CAppStreamBin::SaveStream::SaveStream(CAppToolsBin::Stream* bytes, CAppParam* param, SaveRule rule)
    : Stream(bytes),
      m_rule(std::move(rule)),
      m_pFieldNames(std::make_unique<RecentNames>()) {
  WriteFile(param);
  m_parts.back().size = static_cast<std::uint32_t>(m_nUsed);
  if (typeid(*bytes) == typeid(CAppToolsBin::Memory)) {
    // A plain memory stream takes the joined image without a further copy.
    std::vector<std::uint8_t> image;
    image.reserve(Tell());
    AppMapForWriting(image.data(), Tell());
    for (const Part& part : m_parts) image.insert(image.end(), part.bytes.get(), part.bytes.get() + part.size);
    m_parts.clear();
    static_cast<CAppToolsBin::Memory*>(bytes)->Assign(std::move(image));
    return;
  }
  bytes->RemoveAll();
  bytes->Seek(0);
  for (const Part& part : m_parts) bytes->WriteBytes(part.bytes.get(), part.size);
}

CAppStreamBin::SaveStream::SaveStream(CAppToolsBin::File& file, CAppParam* param, SaveRule rule, int replaced)
    : Stream(&file),
      m_pFile(&file),
      m_rule(std::move(rule)),
      m_pFieldNames(std::make_unique<RecentNames>()),
      m_nReplaced(replaced) {
  WriteFile(param);
  if (m_pWriter != nullptr) PassHeld();
  StopWriter();
  WriteOut(m_nBase, m_pOut, m_nUsed);
  for (const auto& [at, header] : m_late) WriteOut(at, header.data(), header.size());
  if (!m_strWriteError.empty()) throw WriteFailure{m_strWriteError};
}

void CAppStreamBin::SaveStream::WriteFile(CAppParam* param) {
  NextPart(0);
  WriteHeader();
  WriteData(param);
  WriteStrings();
}

void CAppStreamBin::SaveStream::NextPart(std::size_t count) {
  const std::uint32_t end = Tell();
  if (count > kLargestFile - end) APP_THROW("Bad file size");
  const std::size_t room = std::min(kLargestFile - end, std::clamp<std::size_t>(end, kFirstPart, kLargestPart));
  if (m_pFile != nullptr && !m_parts.empty()) {
    // The part is complete: to the file with it, by the writer once the file
    // is large enough to be worth a thread; its room, or another, serves again.
    if (m_pWriter == nullptr && end >= kWriterFrom && m_nRoom == kLargestPart) StartWriter();
    if (m_pWriter != nullptr) {
      m_parts.back().bytes = HoldAndPass(std::move(m_parts.back().bytes), m_nBase, m_nUsed);
      if (m_pWriter->Failed()) {
        StopWriter();
        throw WriteFailure{m_strWriteError};
      }
    } else {
      WriteOut(m_nBase, m_pOut, m_nUsed);
    }
    m_parts.back().base = end;
    if (m_nRoom < kLargestPart) {
      m_parts.back().bytes = AppNewBytesForWriting(kLargestPart);
      m_nRoom = kLargestPart;
    }
  } else {
    if (!m_parts.empty()) m_parts.back().size = static_cast<std::uint32_t>(m_nUsed);
    m_parts.push_back(Part{AppNewBytesForWriting(room), end, 0});
    m_nRoom = room;
  }
  m_nRoom = std::min(m_nRoom, kLargestFile - end);
  m_pOut = m_parts.back().bytes.get();
  m_nBase = end;
  m_nUsed = 0;
}

std::unique_ptr<std::uint8_t[]> CAppStreamBin::SaveStream::HoldAndPass(std::unique_ptr<std::uint8_t[]> bytes,
                                                                       std::uint32_t at, std::size_t count) {
  m_held.push_back(Part{std::move(bytes), at, static_cast<std::uint32_t>(count)});
  if (m_held.size() <= kHeldParts) return AppNewBytesForWriting(kLargestPart);
  Part oldest = std::move(m_held.front());
  m_held.pop_front();
  return m_pWriter->Swap(std::move(oldest.bytes), oldest.base, oldest.size);
}

void CAppStreamBin::SaveStream::PassHeld() {
  for (Part& part : m_held) m_pWriter->Give(std::move(part.bytes), part.base, part.size);
  m_held.clear();
}

void CAppStreamBin::SaveStream::WriteOut(std::uint32_t at, const std::uint8_t* bytes, std::size_t count) {
  if (!TryWrite(at, bytes, count)) throw WriteFailure{m_strWriteError};
}

bool CAppStreamBin::SaveStream::TryWrite(std::uint32_t at, const std::uint8_t* bytes, std::size_t count) {
  if (!m_strWriteError.empty()) return false;
  try {
    if (at != m_nWritten) m_pFile->Seek(at);
    m_pFile->WriteBytes(bytes, static_cast<unsigned>(count));
    m_nWritten = at + static_cast<std::uint32_t>(count);
    // The disk writes while the rest of the tree is visited, a megabyte
    // at a time: the flush before the rename then has little left to do.
    // Headers written back into earlier parts do not count.
    if (m_nWritten > m_nWriteBack && m_nWritten - m_nWriteBack >= kWriteBackStep) {
      m_pFile->StartWriteBack();
      m_nWriteBack = m_nWritten;
    }
    return true;
  } catch (const CAppException& e) {
    m_strWriteError = e.GetMessage();
    if (m_strWriteError.rfind(kExceptionPrefix, 0) == 0) m_strWriteError.erase(0, std::strlen(kExceptionPrefix));
  } catch (const std::exception& e) {
    m_strWriteError = e.what();
  } catch (...) {
  }
  if (m_strWriteError.empty()) m_strWriteError = "write";
  return false;
}

void CAppStreamBin::SaveStream::StartWriter() {
  try {
    m_pWriter = std::make_unique<Writer>(*this);
  } catch (const std::system_error&) {
    // No thread to be had: the stream writes its parts itself.
  }
}

void CAppStreamBin::SaveStream::StopWriter() { m_pWriter.reset(); }

void CAppStreamBin::SaveStream::Append(const void* bytes, std::size_t count) {
  // Through as many parts as it takes.
  const auto* in = static_cast<const std::uint8_t*>(bytes);
  while (count != 0) {
    if (m_nUsed == m_nRoom) NextPart(1);
    const std::size_t n = std::min(count, m_nRoom - m_nUsed);
    std::memcpy(Claim(n), in, n);
    in += n;
    count -= n;
  }
}

template <class T>
void CAppStreamBin::SaveStream::AppendValue(T value) {
  std::uint8_t* out = Claim(sizeof(T));
  auto v = static_cast<std::make_unsigned_t<T>>(value);
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    out[i] = static_cast<std::uint8_t>(v & 0xFFu);
    v = static_cast<decltype(v)>(v >> 4 >> 4);
  }
}

void CAppStreamBin::SaveStream::AppendWordField(std::uint32_t name, std::uint32_t type, std::uint32_t value) {
  std::uint8_t* out = Claim(HEADER_SIZE + 4);
  PutWord(out, Tell());
  PutWord(out + 4, name);
  PutWord(out + 8, type);
  PutWord(out + 12, value);
}

std::uint32_t CAppStreamBin::SaveStream::BeginElement() {
  std::memset(Claim(HEADER_SIZE), 0, HEADER_SIZE);
  return Tell() - HEADER_SIZE;
}

void CAppStreamBin::SaveStream::EndElement(std::uint32_t name, std::uint32_t start, std::uint32_t type) {
  CloseElement(name, start, type);
}

// Most elements end in the part they began in: their header is three words
// written in place.
[[gnu::always_inline]] inline void CAppStreamBin::SaveStream::CloseElement(std::uint32_t name, std::uint32_t start,
                                                                           std::uint32_t type) {
  const std::uint32_t end = Tell();
  if (start >= m_nBase && std::uint64_t{start} + HEADER_SIZE <= end) {
    std::uint8_t* header = m_pOut + (start - m_nBase);
    PutWord(header, end);
    PutWord(header + 4, name);
    PutWord(header + 8, type);
    return;
  }
  CloseEarlierElement(name, start, type);
}

[[gnu::noinline]] void CAppStreamBin::SaveStream::CloseEarlierElement(std::uint32_t name, std::uint32_t start,
                                                                      std::uint32_t type) {
  const std::uint32_t end = Tell();
  if (std::uint64_t{start} + HEADER_SIZE > end) APP_THROW("Bad Position");
  std::array<std::uint8_t, HEADER_SIZE> header;
  PutWord(header.data(), end);
  PutWord(header.data() + 4, name);
  PutWord(header.data() + 8, type);
  if (Part* held = HeldPart(start)) {
    std::memcpy(held->bytes.get() + (start - held->base), header.data(), HEADER_SIZE);
  } else if (m_pWriter != nullptr) {
    m_pWriter->Patch(start, header);  // its part is queued or in the file already
  } else if (m_pFile != nullptr) {
    m_late.emplace_back(start, header);  // its part is in the file already
  } else {
    // An element that began in an earlier part: a few per part at most.
    const auto part = std::upper_bound(m_parts.begin(), m_parts.end(), start,
                                       [](std::uint32_t at, const Part& p) { return at < p.base; }) - 1;
    std::memcpy(part->bytes.get() + (start - part->base), header.data(), HEADER_SIZE);
  }
}

CAppStreamBin::SaveStream::Part* CAppStreamBin::SaveStream::HeldPart(std::uint32_t at) {
  for (auto part = m_held.rbegin(); part != m_held.rend(); ++part) {
    if (at >= part->base) return at - part->base < part->size ? &*part : nullptr;
  }
  return nullptr;
}

CAppStreamBin::SaveStream::~SaveStream() = default;

std::uint32_t CAppStreamBin::SaveStream::FieldName(std::string_view name) {
  if (const std::uint32_t* index = m_pFieldNames->Find(name)) return *index;
  const std::uint32_t index = SetName(name);
  m_pFieldNames->Add(name, index);
  return index;
}

void CAppStreamBin::SaveStream::WriteHeader() {
  const std::uint32_t section = BeginElement();
  std::uint32_t start = BeginElement();
  AppendValue(IDENT);
  CloseElement(NAME_IDENT_VALUE, start, CAppRecord::FT_UI4);
  start = BeginElement();
  AppendValue(VERSION);
  CloseElement(NAME_VERSION_VALUE, start, CAppRecord::FT_UI4);
  CloseElement(NAME_HEADER_SECTION, section, TYPE_SECTION);
}

void CAppStreamBin::SaveStream::WriteData(CAppParam* param) {
  const std::uint32_t section = BeginElement();
  WriteParam(param);
  CloseElement(NAME_DATA_SECTION, section, TYPE_SECTION);
}

void CAppStreamBin::SaveStream::WriteParam(CAppParam* param) {
  APP_CHECK_POINTER(param);
  SaveRecord record(this, param);
  param->Serialize(&record);
  record.End();
}

void CAppStreamBin::SaveStream::WriteStrings() {
  const std::uint32_t section = BeginElement();
  const std::vector<char>& chars = m_strings->Chars();
  Append(chars.data(), chars.size());
  CloseElement(NAME_STRING_SECTION, section, TYPE_SECTION);
}

CAppStreamBin::SaveRecord::SaveRecord(SaveStream* stream, CAppParam* param) : m_pStream(stream) {
  APP_CHECK_POINTER(stream);
  APP_CHECK_POINTER(param);
  if (!stream->IsSerializable(param)) return;
  m_bWritten = true;
  m_nStart = stream->BeginElement();
  m_pParam = param;
  m_pPlan = stream->PlanOf(param->GetRuntimeClass());
}

// Every parameter of a class visits the same fields in the same order: the
// field at each place is settled by one comparison with the name the class
// visited there last time. A class that varies its fields only makes the
// comparisons fail; the lookup behind them answers.
[[gnu::always_inline]] inline std::uint32_t CAppStreamBin::SaveRecord::FieldIndex() {
  const std::vector<PlanField>& fields = m_pPlan->fields;
  if (fields.begin() + m_nPlace < fields.end()) {
    // The same name as last time. Unless it is a literal, the text is
    // compared too: a name given by pointer may be a buffer that held
    // another name before.
    const PlanField& field = fields[m_nPlace];
    const std::string_view name = GetNameView();
    if (field.literal == name.data() && (field.fixed || SameText(field.name, name))) {
      ++m_nPlace;
      return field.index;
    }
  }
  return NewFieldIndex();
}

[[gnu::noinline]] std::uint32_t CAppStreamBin::SaveRecord::NewFieldIndex() {
  const std::string_view name = GetNameView();
  std::vector<PlanField>& fields = m_pPlan->fields;
  if (m_nPlace == fields.size()) fields.emplace_back().name = name;
  PlanField& field = fields[m_nPlace++];
  if (field.literal == nullptr || !SameText(field.name, name)) {
    field.name = name;
    field.index = m_pStream->FieldName(name);
  }
  if (const char* literal = GetNameLiteral(); literal != field.literal) {
    field.literal = literal;
    field.fixed = literal != nullptr && m_pStream->IsFixedText(name);
  }
  return field.index;
}

bool CAppStreamBin::SaveStream::IsFixedText(std::string_view text) {
  if (!m_pReadOnly) m_pReadOnly = std::make_unique<AppReadOnlyMemory>(AppReadOnlyMemory::Loaded());
  return m_pReadOnly->Holds(text.data(), text.size() + 1);
}

// A string value's index. Many values repeat from one parameter of a class
// to the next (units, aliases, empty help texts): the text written last at
// this place is tried first. The pair stays right whatever field the place
// holds, as indexes never change.
[[gnu::always_inline]] inline std::uint32_t CAppStreamBin::SaveRecord::ValueIndex(const std::string& value) {
  std::vector<PlanField>& fields = m_pPlan->fields;
  if (fields.begin() + m_nPlace < fields.end()) {
    PlanField& field = fields[m_nPlace];
    if (field.valueIndex != kNoValue && SameText(field.value, value)) {
      field.missed = false;
      return field.valueIndex;
    }
  }
  return NewValueIndex(value);
}

[[gnu::noinline]] std::uint32_t CAppStreamBin::SaveRecord::NewValueIndex(const std::string& value) {
  std::vector<PlanField>& fields = m_pPlan->fields;
  if (fields.begin() + m_nPlace >= fields.end()) return m_pStream->SetName(value);
  PlanField& field = fields[m_nPlace];
  if (field.otherIndex != kNoValue && SameText(field.other, value)) {
    field.missed = false;
    return field.otherIndex;
  }
  const std::uint32_t index = m_pStream->SetName(value);
  // The first value stays; the other is the latest. A field that differs
  // every time (keys) stops being remembered.
  if (field.valueIndex == kNoValue) {
    field.value = value;
    field.valueIndex = index;
  } else if (!field.missed) {
    field.other = value;
    field.otherIndex = index;
  }
  field.missed = true;
  return index;
}

CAppStreamBin::Plan* CAppStreamBin::SaveStream::PlanOf(const CAppRuntimeClass* type) {
  // Classes alternate from one parameter to the next: a few recent ones are
  // found by their address.
  Plan*& recent = m_recentPlans[(reinterpret_cast<std::uintptr_t>(type) >> 4) % m_recentPlans.size()];
  if (recent != nullptr && recent->type == type) return recent;
  return recent = FindPlan(type);
}

CAppStreamBin::Plan* CAppStreamBin::SaveStream::FindPlan(const CAppRuntimeClass* type) {
  // A tree holds a handful of classes.
  for (const std::unique_ptr<Plan>& plan : m_plans) {
    if (plan->type == type) return plan.get();
  }
  m_plans.push_back(std::make_unique<Plan>());
  m_plans.back()->type = type;
  return m_plans.back().get();
}

void CAppStreamBin::SaveRecord::End() {
  if (!m_bWritten) return;
  m_bWritten = false;
  // The class name is registered after the fields, as readers expect.
  if (m_pPlan->className == kNoValue) m_pPlan->className = m_pStream->SetName(m_pParam->GetClassName());
  m_pStream->CloseElement(m_pPlan->className, m_nStart, FT_PARAM);
}

bool CAppStreamBin::SaveRecord::GetField() {
  if (!m_bWritten) return false;
  m_nField = m_pStream->BeginElement();
  return true;
}

// The visits of the usual types. Each writes what the generic visit writes
// (GetField, Serialize, Validate) and registers its strings in the same
// order: values first, then the field name.

void CAppStreamBin::SaveRecord::DoWord(std::uint32_t type, std::uint32_t value) {
  SetType(type);
  if (!m_bWritten) return;
  m_pStream->AppendWordField(FieldIndex(), type, value);
}

void CAppStreamBin::SaveRecord::_Do(CAppTools::Flags& value) { DoWord(FT_FLAGS, value); }

void CAppStreamBin::SaveRecord::_Do(unsigned int& value) { DoWord(IntegerCode<unsigned int>(), value); }

void CAppStreamBin::SaveRecord::_Do(CAppTools::Type& value) { DoWord(FT_TYPE, value.GetCode()); }

void CAppStreamBin::SaveRecord::_Do(std::vector<std::uint32_t>& array) {
  SetType(FT_DWORDS);
  if (!m_bWritten) return;
  const std::uint32_t start = m_pStream->BeginElement();
  for (const std::uint32_t value : array) PutWord(m_pStream->Claim(4), value);
  m_pStream->CloseElement(FieldIndex(), start, FT_DWORDS);
}

void CAppStreamBin::SaveRecord::_Do(CAppVariant& value) {
  SetType(FT_VARIANT);
  if (!m_bWritten) return;
  // Stored under the variant's own type, a string as a string index, an
  // empty one as an element without entries.
  std::uint32_t type = 0;
  std::uint32_t bytes = 0;
  std::uint64_t bits = 0;
  if (value.IsString()) {
    type = FT_STRING;
    bytes = 4;
    bits = ValueIndex(value.GetStringRef());
  } else if (!value.IsEmpty()) {
    const FieldType* stored = FindFieldType(value.GetType());
    if (stored == nullptr || (stored->kind != Kind::Integer && stored->kind != Kind::Real)) {
      APP_THROW("Invalid Data");
    }
    type = value.GetType();
    bytes = stored->bytes;
    if (type == CAppVariant::VT_R4) {
      const auto f = static_cast<float>(value.GetDouble());
      std::uint32_t word = 0;
      std::memcpy(&word, &f, sizeof word);
      bits = word;
    } else if (type == CAppVariant::VT_R8) {
      const double d = value.GetDouble();
      std::memcpy(&bits, &d, sizeof bits);
    } else {
      bits = value.GetUInt64();
    }
  }
  SetType(type);
  const std::uint32_t name = FieldIndex();
  std::uint8_t* out = m_pStream->Claim(HEADER_SIZE + bytes);
  PutWord(out, m_pStream->Tell());
  PutWord(out + 4, name);
  PutWord(out + 8, type);
  PutBytes(out + HEADER_SIZE, bits, bytes);
}

void CAppStreamBin::SaveRecord::_Do(int& value) {
  DoWord(IntegerCode<int>(), static_cast<std::uint32_t>(value));
}

void CAppStreamBin::SaveRecord::_Do(std::string& value) {
  SetType(FT_STRING);
  if (!m_bWritten) return;
  const std::uint32_t index = ValueIndex(value);
  m_pStream->AppendWordField(FieldIndex(), FT_STRING, index);
}

template <class Strings>
void CAppStreamBin::SaveRecord::DoStrings(Strings& strings) {
  SetType(FT_STRINGS);
  if (!m_bWritten) return;
  const std::uint32_t start = m_pStream->BeginElement();
  std::vector<PlanField>& fields = m_pPlan->fields;
  PlanField* field = fields.begin() + m_nPlace < fields.end() ? &fields[m_nPlace] : nullptr;
  // Lists of choices are often the same from one parameter to the next.
  if (field != nullptr && SameTexts(field->texts, strings)) {
    for (const std::uint32_t index : field->textIndexes) PutWord(m_pStream->Claim(4), index);
    field->textsMissed = false;
  } else {
    const bool remember = field != nullptr && !field->textsMissed;
    if (remember) {
      field->texts.assign(strings.begin(), strings.end());
      field->textIndexes.clear();
    }
    for (const std::string& text : strings) {
      const std::uint32_t index = m_pStream->SetName(text);
      PutWord(m_pStream->Claim(4), index);
      if (remember) field->textIndexes.push_back(index);
    }
    if (field != nullptr) field->textsMissed = true;
  }
  m_pStream->CloseElement(FieldIndex(), start, FT_STRINGS);
}

void CAppStreamBin::SaveRecord::_Do(std::list<std::string>& list) { DoStrings(list); }

void CAppStreamBin::SaveRecord::_Do(std::vector<std::string>& array) { DoStrings(array); }

void CAppStreamBin::SaveRecord::_Do(CAppParamGroup& group) {
  SetType(FT_GROUP);
  if (!m_bWritten) return;
  const std::uint32_t start = m_pStream->BeginElement();
  // A large tree is far from the cache: the fields of the child after the
  // next are fetched while this one is written.
  POSITION pos = group.GetStartPosition();
  CAppParam* next = group.GetNextPtr(pos);
  CAppParam* after = group.GetNextPtr(pos);
  if (after != nullptr) PrefetchObject(after);
  while (next != nullptr) {
    CAppParam* child = next;
    next = after;
    after = group.GetNextPtr(pos);
    if (after != nullptr) PrefetchObject(after);
    m_pStream->WriteParam(child);
  }
  m_pStream->CloseElement(FieldIndex(), start, FT_GROUP);
}

void CAppStreamBin::SaveRecord::Serialize(void* value, unsigned /*index*/) {
  APP_CHECK_POINTER(value);
  const FieldType* type = FindFieldType(GetType());
  if (type == nullptr) APP_THROW("Invalid Data");
  switch (type->kind) {
    case Kind::Integer: {
      const std::uint64_t n = CAppRecord::LoadInteger(value, type->bytes);
      switch (type->bytes) {
        case 1: m_pStream->AppendValue(static_cast<std::uint8_t>(n)); break;
        case 2: m_pStream->AppendValue(static_cast<std::uint16_t>(n)); break;
        case 4: m_pStream->AppendValue(static_cast<std::uint32_t>(n)); break;
        default: m_pStream->AppendValue(n); break;
      }
      return;
    }
    case Kind::Flags:
      m_pStream->AppendValue(static_cast<std::uint32_t>(*static_cast<const CAppTools::Flags*>(value)));
      return;
    case Kind::TypeCode:
      m_pStream->AppendValue(static_cast<const CAppTools::Type*>(value)->GetCode());
      return;
    case Kind::String:
      m_pStream->AppendValue(m_pStream->SetName(*static_cast<const std::string*>(value)));
      return;
    case Kind::Param:
      m_pStream->WriteParam(*static_cast<CAppParam* const*>(value));
      return;
    case Kind::Variant: {
      // Stored under the variant's own type, a string as a string index.
      const auto& variant = *static_cast<const CAppVariant*>(value);
      if (variant.IsEmpty()) {
        SetType(0);
        return;
      }
      if (variant.IsString()) {
        SetType(FT_STRING);
        m_pStream->AppendValue(m_pStream->SetName(variant.GetStringRef()));
        return;
      }
      const FieldType* stored = FindFieldType(variant.GetType());
      if (stored == nullptr || (stored->kind != Kind::Integer && stored->kind != Kind::Real)) {
        APP_THROW("Invalid Data");
      }
      SetType(variant.GetType());
      if (stored->code == CAppVariant::VT_R4) {
        const auto f = static_cast<float>(variant.GetDouble());
        std::uint32_t bits = 0;
        std::memcpy(&bits, &f, sizeof bits);
        m_pStream->AppendValue(bits);
      } else if (stored->code == CAppVariant::VT_R8) {
        const double d = variant.GetDouble();
        std::uint64_t bits = 0;
        std::memcpy(&bits, &d, sizeof bits);
        m_pStream->AppendValue(bits);
      } else {
        const std::uint64_t n = variant.GetUInt64();
        for (std::uint32_t i = 0; i < stored->bytes; ++i) {
          m_pStream->AppendValue(static_cast<std::uint8_t>((n >> (8 * i)) & 0xFFu));
        }
      }
      return;
    }
    case Kind::Real:
      break;
  }
  APP_THROW("Invalid Data");
}

void CAppStreamBin::SaveRecord::Validate() {
  m_pStream->CloseElement(FieldIndex(), m_nField, GetType());
}

// --- Reading -------------------------------------------------------------------------

CAppStreamBin::LoadStream::~LoadStream() = default;

namespace {

// The bytes of a plain file stream, mapped; empty for any other stream.
std::span<const std::uint8_t> MapFile(CAppToolsBin::Stream* bytes) {
  if (typeid(*bytes) != typeid(CAppToolsBin::File)) return {};
  return static_cast<CAppToolsBin::File*>(bytes)->Map();
}

}  // namespace

// --- Reading on two threads ---------------------------------------------------------

namespace {

// A large group's later children go to a second thread from this size on:
// below it, starting a thread costs more than it saves.
std::atomic<std::uint32_t> g_nSplitFrom{1024 * 1024};
std::atomic<std::uint64_t> g_nSplits{0};

// Thrown in a helper's reader to stop it at the child it is in.
struct HandBack {};

}  // namespace

std::uint32_t AppStreamBinInternal::SetSplitFrom(std::uint32_t bytes) { return g_nSplitFrom.exchange(bytes); }

std::uint64_t AppStreamBinInternal::SplitCount() { return g_nSplits.load(); }

// Reads the children of a group from one entry on, on a thread of its own,
// while the calling thread reads those before it; the calling thread then
// adopts them in file order and reads on where the helper stopped. The
// helper stops, handing back the child it is in, at anything the calling
// thread must do itself: a class not the library's own (the host's may not
// be thread-safe), a fault (reported in file order, with its trace), or any
// other trace (the logger has no lock). Its children are then exactly those
// the calling thread would have read, and nothing is read twice.
class CAppStreamBin::LoadStream::Helper {
public:
  // Starts the thread on the entries in [from, end) of a group read by
  // `main`; throws what std::thread throws when no thread can be had.
  Helper(const LoadStream& main, std::uint32_t from, std::uint32_t end)
      : m_main(main), m_nFrom(from), m_nEnd(end), m_nDepth(main.m_nDepth), m_nStop(from) {
    m_thread = std::thread([this] { Run(); });
  }
  // Stops the thread at its next child and destroys what was not taken.
  ~Helper() {
    m_bStop.store(true, std::memory_order_relaxed);
    Join();
    for (std::size_t i = m_nTaken; i < m_children.size(); ++i) delete m_children[i];
  }
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;

  void Join() {
    if (m_thread.joinable()) m_thread.join();
  }
  bool Stopping() const { return m_bStop.load(std::memory_order_relaxed); }
  // Once joined: the children read in order, each owned by the caller once
  // taken, null after the last; then where the calling thread reads on.
  CAppParam* Take() { return m_nTaken < m_children.size() ? m_children[m_nTaken++] : nullptr; }
  std::uint32_t StopAt() const { return m_nStop; }

private:
  void Run() noexcept {
    CAppDebugMute mute;
    std::uint32_t pos = m_nFrom;
    try {
      LoadStream stream(m_main, m_nDepth, this);
      while (pos < m_nEnd && !Stopping()) {
        CAppParam* created = nullptr;
        try {
          const ST_FIELD entry = stream.ReadEntry(pos, m_nEnd);
          created = stream.CreateParam(entry.name);
          {
            LoadRecord record(&stream, pos + HEADER_SIZE, entry.end, entry.name);
            created->Serialize(&record);
          }
          if (mute.Stopped() || stream.m_bRefused) {
            delete created;
            break;
          }
          m_children.push_back(created);
          pos = entry.end;
        } catch (...) {
          delete created;
          break;
        }
      }
    } catch (...) {
      // No state for the reader: the calling thread reads all of it.
    }
    m_nStop = pos;
  }

  const LoadStream& m_main;
  const std::uint32_t m_nFrom;
  const std::uint32_t m_nEnd;
  const unsigned m_nDepth;
  std::vector<CAppParam*> m_children;
  std::size_t m_nTaken = 0;
  std::uint32_t m_nStop;
  std::atomic<bool> m_bStop{false};
  std::thread m_thread;
};

CAppStreamBin::LoadStream::LoadStream(const LoadStream& main, unsigned depth, const Helper* helper)
    : Stream(main.GetBuffer(), main.m_strings),
      m_pData(main.m_pData),
      m_nSize(main.m_nSize),
      m_pAskedIds(std::make_unique<RecentNames>()),
      m_nDepth(depth),
      m_bSplit(true),
      m_nDataEnd(main.m_nDataEnd),
      m_pHelper(helper) {
  // Caches of its own, empty: the ids they give differ from the calling
  // thread's, but tell the same names apart, which is all they are used for.
  for (std::uint32_t code = NAME_IDENT_VALUE; code <= NAME_STRING_SECTION; ++code) {
    m_upperIds.emplace(std::string(GetName(code)), code);
  }
  const std::uint32_t strings = m_strings->Count();
  m_nameIds.assign(strings, NO_ID);
  m_classes.assign(strings, nullptr);
  m_shapes.resize(strings);
}

std::uint32_t CAppStreamBin::LoadStream::SplitPoint(std::uint32_t start, std::uint32_t end) const {
  if (m_bSplit || m_bRestore) return 0;
  const std::uint32_t from = g_nSplitFrom.load(std::memory_order_relaxed);
  const std::uint32_t total = end - start;
  // Only a group that holds most of what is left to read is worth it: a
  // later, larger one would otherwise find the helper spent.
  if (from == 0 || total < from || std::uint64_t{total} * 2 < std::uint64_t{m_nDataEnd} - start) return 0;
  static const unsigned kThreads = std::thread::hardware_concurrency();
  if (kThreads < 2) return 0;
  // The entry boundary nearest the middle. Headers are checked without a
  // throw: a malformed one is reported when the calling thread reaches it.
  const std::uint32_t middle = start + total / 2;
  std::uint32_t split = 0;
  for (std::uint32_t pos = start; pos < end;) {
    if (end - pos < HEADER_SIZE) return 0;
    const std::uint32_t next = GetWord(m_pData + pos);
    if (next < pos + HEADER_SIZE || next > end || GetWord(m_pData + pos + 8) != CAppRecord::FT_PARAM) return 0;
    if (next >= middle) {
      split = middle - pos <= next - middle ? pos : next;
      break;
    }
    pos = next;
  }
  if (split <= start || split >= end) return 0;
  // Too uneven: a child holds most of the bytes, and may be split itself.
  if (std::uint64_t{std::max(split - start, end - split)} * 3 > std::uint64_t{total} * 2) return 0;
  return split;
}

inline void CAppStreamBin::LoadStream::CheckHelper() const {
  if (m_pHelper != nullptr && m_pHelper->Stopping()) throw HandBack{};
}

CAppParam* CAppStreamBin::LoadStream::CreateLibraryParam(std::uint32_t className) {
  // Reserved names, indexes past the table and unknown classes are the
  // calling thread's to report; other classes its alone to create.
  CAppObject* object = nullptr;
  if (className < m_classes.size()) {
    const CAppRuntimeClass*& type = m_classes[className];
    if (type == nullptr) type = AppFindLibraryParamClass(CAppTools::MakeUpper(std::string(m_strings->At(className))));
    if (type != nullptr) object = type->CreateObject();
  }
  if (object == nullptr) {
    m_bRefused = true;
    throw HandBack{};
  }
  return static_cast<CAppParam*>(object);
}

CAppStreamBin::LoadStream::LoadStream(CAppToolsBin::Stream* bytes, CAppParam*& param)
    : LoadStream(bytes, param, false) {}

CAppStreamBin::LoadStream::LoadStream(CAppToolsBin::Stream* bytes, CAppParam*& param, bool restore)
    : Stream(bytes), m_pAskedIds(std::make_unique<RecentNames>()), m_bRestore(restore) {
  // The whole file in memory: its length bounds every count read from it,
  // and the reader checks each offset against it before use.
  const std::uint32_t length = bytes->GetLength();
  if (typeid(*bytes) == typeid(CAppToolsBin::Memory)) {
    // Already in memory, and nothing writes to it while the tree loads.
    m_pData = static_cast<CAppToolsBin::Memory*>(bytes)->GetData().data();
    m_nSize = length;
    bytes->Seek(length);
  } else if (const std::span<const std::uint8_t> mapped = MapFile(bytes); mapped.size() == length && length != 0) {
    // A plain file is read where the system maps it, without a copy.
    m_pData = mapped.data();
    m_nSize = length;
    bytes->Seek(length);
  } else if (length != 0) {
    m_pCopy = std::make_unique_for_overwrite<std::uint8_t[]>(length);
    bytes->Seek(0);
    bytes->ReadBytes(m_pCopy.get(), length);
    m_pData = m_pCopy.get();
    m_nSize = length;
  }
  for (std::uint32_t code = NAME_IDENT_VALUE; code <= NAME_STRING_SECTION; ++code) {
    m_upperIds.emplace(std::string(GetName(code)), code);
  }
  ReadSections();
  ReadHeader();
  ReadStrings();
  ReadParam(param);
}

inline std::uint64_t CAppStreamBin::LoadStream::ReadNumber(std::uint32_t pos, unsigned bytes) const {
  if (std::uint64_t{pos} + bytes > m_nSize) APP_THROW("Bad file size");
  const std::uint8_t* p = m_pData + pos;
  if constexpr (std::endian::native == std::endian::little) {
    // Fixed-size copies compile to single loads; a copy of `bytes` bytes
    // would be a library call.
    switch (bytes) {
      case 1: return *p;
      case 2: {
        std::uint16_t n;
        std::memcpy(&n, p, 2);
        return n;
      }
      case 4: {
        std::uint32_t n;
        std::memcpy(&n, p, 4);
        return n;
      }
      case 8: {
        std::uint64_t n;
        std::memcpy(&n, p, 8);
        return n;
      }
      default: break;
    }
  }
  std::uint64_t n = 0;
  for (unsigned i = bytes; i-- > 0;) n = (n << 8) | p[i];
  return n;
}

inline CAppStreamBin::ST_FIELD CAppStreamBin::LoadStream::ReadField(std::uint32_t pos, std::uint32_t limit) const {
  // limit never exceeds the file's length, so the header lies within it.
  if (limit < pos || limit - pos < HEADER_SIZE || limit > m_nSize) APP_THROW("Bad file size");
  const std::uint8_t* p = m_pData + pos;
  ST_FIELD field;
  field.end = GetWord(p);
  field.name = GetWord(p + 4);
  field.type = GetWord(p + 8);
  if (field.end < pos + HEADER_SIZE) APP_THROW("Bad data format");
  if (field.end > limit) APP_THROW("Bad file size");
  return field;
}

void CAppStreamBin::LoadStream::ReadSections() {
  std::unordered_set<std::uint32_t> names;
  const std::uint32_t end = m_nSize;
  for (std::uint32_t pos = 0; pos < end;) {
    const ST_FIELD field = ReadField(pos, end);
    if (field.type != TYPE_SECTION) APP_THROW("Invalid Data");
    if (!names.insert(field.name).second) APP_THROW("Record name already exist");
    m_sections.push_back(ST_INFO{field, pos + HEADER_SIZE, 0, field.name});
    pos = field.end;
  }
}

const CAppStreamBin::ST_INFO* CAppStreamBin::LoadStream::FindSection(std::uint32_t name) const {
  for (const ST_INFO& section : m_sections) {
    if (section.field.name == name) return &section;
  }
  return nullptr;
}

void CAppStreamBin::LoadStream::ReadHeader() {
  const ST_INFO* header = FindSection(NAME_HEADER_SECTION);
  if (header == nullptr) APP_THROW("Bad pointer");
  LoadRecord record(this, header->offset, header->field.end);
  std::uint32_t ident = 0;
  std::uint32_t version = 0;
  record.Do(kReservedNames[0].data(), ident);
  if (ident != IDENT) APP_THROW("Bad file");
  record.Do(kReservedNames[1].data(), version);
  if (version != VERSION) APP_THROW("Bad file version");
}

void CAppStreamBin::LoadStream::ReadStrings() {
  const ST_INFO* strings = FindSection(NAME_STRING_SECTION);
  if (strings == nullptr) APP_THROW("Bad pointer");
  std::uint32_t read = 0;
  const std::uint32_t end = strings->field.end;
  const std::uint32_t size = end - strings->offset;
  const auto* zeros = m_pData + strings->offset;
  m_strings->Reserve(static_cast<std::size_t>(std::count(zeros, zeros + size, 0)) + 1);
  m_strings->IndexInPlace(reinterpret_cast<const char*>(m_pData));
  for (std::uint32_t pos = strings->offset; pos < end; ++read) {
    const auto* first = m_pData + pos;
    const auto* zero = static_cast<const std::uint8_t*>(std::memchr(first, 0, end - pos));
    // The last string may lack its zero byte: it ends with the section.
    const auto length = static_cast<std::uint32_t>(zero != nullptr ? zero - first : end - pos);
    // Equal strings share one index: a table that holds one twice is not ours.
    if (!m_strings->Add(std::string_view(reinterpret_cast<const char*>(first), length)).second) {
      APP_THROW("Bad file format");
    }
    pos += length + 1;
  }
  if (read >= NAME_IDENT_VALUE) APP_THROW("Bad file format");
  m_nameIds.assign(read, NO_ID);
  m_classes.assign(read, nullptr);
  m_shapes.resize(read);
}

void CAppStreamBin::LoadStream::ReadParam(CAppParam*& param) {
  const ST_INFO* data = FindSection(NAME_DATA_SECTION);
  if (data == nullptr) APP_THROW("Bad pointer");
  if (data->offset == data->field.end) return;  // the parameter was left out
  m_nDataEnd = data->field.end;
  const ST_FIELD field = ReadField(data->offset, data->field.end);
  if (field.type != CAppRecord::FT_PARAM) APP_THROW("Bad file");
  std::unique_ptr<CAppParam> created;
  if (param == nullptr) created.reset(CreateParam(field.name));
  CAppParam* target = param != nullptr ? param : created.get();
  {
    LoadRecord record(this, data->offset + HEADER_SIZE, field.end);
    target->Serialize(&record);
  }
  if (created) param = created.release();
}

std::uint32_t CAppStreamBin::LoadStream::NameId(std::uint32_t name) {
  if (IsReserved(name)) return name;
  if (name >= m_nameIds.size()) APP_THROW("Bad data index");
  std::uint32_t& id = m_nameIds[name];
  if (id == NO_ID) {
    // Field names match without regard to case: names equal but for case
    // get the id of the first of them.
    id = m_upperIds.emplace(CAppTools::MakeUpper(std::string(GetName(name))), name).first->second;
  }
  return id;
}

std::uint32_t CAppStreamBin::LoadStream::AskedId(std::string_view name) {
  if (const std::uint32_t* id = m_pAskedIds->Find(name)) return *id;
  const auto it = m_upperIds.find(CAppTools::MakeUpper(std::string(name)));
  if (it == m_upperIds.end()) return NO_ID;  // may still appear in a later element
  m_pAskedIds->Add(name, it->second);
  return it->second;
}

inline std::string_view CAppStreamBin::LoadStream::StringAt(std::uint64_t index) const {
  if (index >= m_strings->Count()) APP_THROW("Bad data index");
  return m_strings->At(static_cast<std::uint32_t>(index));
}

inline std::string_view CAppStreamBin::LoadStream::NameText(std::uint32_t code) const {
  return IsReserved(code) ? kReservedNames[code - NAME_IDENT_VALUE] : m_strings->At(code);
}

CAppParam* CAppStreamBin::LoadStream::CreateParam(std::uint32_t className) {
  if (m_pHelper != nullptr) return CreateLibraryParam(className);
  // Each class name goes through the registry once per file.
  if (className < m_classes.size() && m_classes[className] != nullptr) {
    CAppObject* object = m_classes[className]->CreateObject();
    if (object == nullptr) APP_THROW("Bad pointer");
    return static_cast<CAppParam*>(object);
  }
  CAppObject* object = CAppDynamic::_GetRegisterClass(std::string(GetName(className)), CAppParam::StaticRuntimeClass());
  if (object == nullptr) APP_THROW("Bad pointer");
  if (className < m_classes.size()) m_classes[className] = object->GetRuntimeClass();
  return static_cast<CAppParam*>(object);
}

const CAppRuntimeClass* CAppStreamBin::LoadStream::FindClass(std::uint32_t className) {
  if (className >= m_classes.size()) return nullptr;
  if (m_classes[className] == nullptr) {
    CAppObject* object =
        CAppDynamic::_GetRegisterClass(std::string(m_strings->At(className)), CAppParam::StaticRuntimeClass());
    if (object == nullptr) return nullptr;
    m_classes[className] = object->GetRuntimeClass();
    delete object;
  }
  return m_classes[className];
}

CAppStreamBin::LoadRecord::LoadRecord(LoadStream* stream, std::uint32_t start, std::uint32_t end,
                                      std::uint32_t className)
    : m_pStream(stream), m_nFirst(stream != nullptr ? stream->m_nInfos : 0) {
  APP_CHECK_POINTER(stream);
  if (stream->m_nDepth >= kMaxDepth) APP_THROW("Bad data format");
  ++stream->m_nDepth;
  try {
    ReadChildren(start, end, className);
  } catch (...) {
    stream->m_nInfos = m_nFirst;
    --stream->m_nDepth;
    throw;
  }
}

CAppStreamBin::LoadRecord::~LoadRecord() {
  m_pStream->m_nInfos = m_nFirst;
  --m_pStream->m_nDepth;
}

namespace {

// The shifts of a shape field that has no entries, or a group's; any other
// negative one is a type no element holds.
constexpr int kNoEntries = -2;
constexpr int kGroupEntries = -3;

int ShiftOf(std::uint32_t type) {
  if (type == CAppRecord::FT_GROUP) return kGroupEntries;
  if (type == 0) return kNoEntries;
  return EntryShift(type);
}

}  // namespace

bool CAppStreamBin::LoadRecord::ReadShaped(std::uint32_t start, std::uint32_t end,
                                           const std::vector<ShapeField>& shape) {
  LoadStream& stream = *m_pStream;
  if (start < end && end > stream.m_nSize) return false;
  while (stream.m_infos.size() - stream.m_nInfos < shape.size()) stream.GrowInfos();
  const std::uint8_t* data = stream.m_pData;
  ST_INFO* infos = stream.m_infos.data() + stream.m_nInfos;
  const ShapeField* expected = shape.data();
  const ShapeField* last = expected + shape.size();
  for (std::uint32_t pos = start; pos < end; ++expected, ++infos) {
    if (expected == last || end - pos < HEADER_SIZE) return false;
    ST_FIELD field;
    field.end = GetWord(data + pos);
    field.name = GetWord(data + pos + 4);
    field.type = GetWord(data + pos + 8);
    const std::uint32_t offset = pos + HEADER_SIZE;
    if (field.end < offset || field.end > end || field.name != expected->name) return false;
    // Fields of one name may differ in type from one element to the next
    // (variants): another type is checked as the full reading would.
    const int shift = field.type == expected->type ? expected->shift : ShiftOf(field.type);
    const std::uint32_t payload = field.end - offset;
    std::uint32_t entries = 0;
    if (shift >= 0) {
      if ((payload & ((1u << shift) - 1)) != 0) return false;
      entries = payload >> shift;
    } else if (shift == kGroupEntries) {
      entries = kNotCounted;
    } else if (shift != kNoEntries) {
      return false;
    }
    // Member by member: the compiler would gather a whole one in vector
    // registers first.
    infos->field = field;
    infos->offset = offset;
    infos->count = entries;
    infos->id = expected->id;
    pos = field.end;
  }
  if (expected != last) return false;
  stream.m_nInfos += shape.size();
  return true;
}

void CAppStreamBin::LoadRecord::ReadChildren(std::uint32_t start, std::uint32_t end, std::uint32_t className) {
  LoadStream& stream = *m_pStream;
  // Elements of one class mostly hold the same fields: those of the last
  // one, once found well formed, are checked in one pass.
  std::vector<ShapeField>* shape = className < stream.m_shapes.size() ? &stream.m_shapes[className] : nullptr;
  if (shape != nullptr && !shape->empty() && ReadShaped(start, end, *shape)) {
    m_nNamedEnd = stream.m_nInfos;
    m_nNext = m_nFirst;
    return;
  }
  // Every header below lies within [start, end), and so within the file.
  if (start < end && end > stream.m_nSize) APP_THROW("Bad file size");
  const std::uint8_t* data = stream.m_pData;
  // Field names must be unique in an element: each id is stamped with the
  // number of this element, and an id that carries it already came before.
  const std::uint32_t stamp = stream.NextStamp();
  std::uint32_t* stamps = stream.m_stamps.data();
  const std::uint32_t* nameIds = stream.m_nameIds.data();
  const std::size_t names = stream.m_nameIds.size();
  bool repeated = false;
  std::size_t count = stream.m_nInfos;
  ST_INFO* infos = stream.m_infos.data();
  std::size_t room = stream.m_infos.size();
  for (std::uint32_t pos = start; pos < end;) {
    if (end - pos < HEADER_SIZE) APP_THROW("Bad file size");
    ST_FIELD field;
    field.end = GetWord(data + pos);
    field.name = GetWord(data + pos + 4);
    field.type = GetWord(data + pos + 8);
    const std::uint32_t offset = pos + HEADER_SIZE;
    if (field.end < offset) APP_THROW("Bad data format");
    if (field.end > end) APP_THROW("Bad file size");
    // Counts come from payload sizes, so none can exceed the bytes there are.
    const std::uint32_t payload = field.end - offset;
    std::uint32_t entries = 0;
    if (field.type == FT_GROUP) {
      entries = kNotCounted;  // the entries are walked when the group is read (see EntryCount)
    } else if (field.type != 0) {
      const int shift = EntryShift(field.type);
      if (shift < 0 || (payload & ((1u << shift) - 1)) != 0) APP_THROW("Bad data format");
      entries = payload >> shift;
    }
    // A name met before has its id already.
    std::uint32_t id = field.name < names ? nameIds[field.name] : LoadStream::NO_ID;
    if (id == LoadStream::NO_ID) id = stream.NameId(field.name);
    std::uint32_t& seen = stamps[IsReserved(id) ? names + (id - NAME_IDENT_VALUE) : id];
    repeated |= seen == stamp;
    seen = stamp;
    if (count == room) {
      stream.GrowInfos();
      infos = stream.m_infos.data();
      room = stream.m_infos.size();
    }
    infos[count++] = ST_INFO{field, offset, entries, id};
    pos = field.end;
  }
  stream.m_nInfos = count;
  // Reported once the element is read, as a malformed field after the
  // repeated one is the first fault.
  if (repeated) APP_THROW("Record name already exist");
  m_nNamedEnd = count;
  m_nNext = m_nFirst;
  if (shape != nullptr) KeepShape(*shape);
}

void CAppStreamBin::LoadRecord::KeepShape(std::vector<ShapeField>& shape) const {
  shape.clear();
  for (std::size_t i = m_nFirst; i < m_nNamedEnd; ++i) {
    const ST_INFO& info = m_pStream->m_infos[i];
    shape.push_back(ShapeField{info.field.name, info.field.type, info.id, ShiftOf(info.field.type)});
  }
}

void CAppStreamBin::LoadStream::GrowInfos() { m_infos.resize(std::max<std::size_t>(2 * m_infos.size(), 64)); }

CAppStreamBin::ST_INFO& CAppStreamBin::LoadStream::PushInfo() {
  if (m_nInfos == m_infos.size()) GrowInfos();
  return m_infos[m_nInfos++];
}

std::uint32_t CAppStreamBin::LoadRecord::EntryCount(std::size_t field) {
  LoadStream& stream = *m_pStream;
  if (stream.m_infos[field].count != kNotCounted) return stream.m_infos[field].count;
  // Asked through the generic visit: list the entries after this record's
  // fields, where the stack has room until the record ends.
  const std::uint32_t end = stream.m_infos[field].field.end;
  const auto first = static_cast<std::uint32_t>(stream.m_nInfos);
  for (std::uint32_t pos = stream.m_infos[field].offset; pos < end;) {
    const ST_FIELD entry = ReadEntry(pos, end);
    stream.PushInfo() = ST_INFO{entry, pos + HEADER_SIZE, 0, LoadStream::NO_ID};
    pos = entry.end;
  }
  stream.m_infos[field].offset = first;
  stream.m_infos[field].count = static_cast<std::uint32_t>(stream.m_nInfos) - first;
  return stream.m_infos[field].count;
}

CAppStreamBin::ST_FIELD CAppStreamBin::LoadStream::ReadEntry(std::uint32_t pos, std::uint32_t end) const {
  // The next entries come next in memory: fetch them before they are needed.
  __builtin_prefetch(m_pData + std::min(pos + 1024, end));
  const ST_FIELD entry = ReadField(pos, end);
  if (entry.type != CAppRecord::FT_PARAM) APP_THROW("Bad data format");
  return entry;
}

CAppStreamBin::ST_FIELD CAppStreamBin::LoadRecord::ReadEntry(std::uint32_t pos, std::uint32_t end) const {
  return m_pStream->ReadEntry(pos, end);
}

std::uint32_t CAppStreamBin::LoadStream::NextStamp() {
  const std::size_t size = m_nameIds.size() + kReservedCount;
  if (m_stamps.size() != size || ++m_nStamp == 0) {
    m_stamps.assign(size, 0);
    m_nStamp = 1;
  }
  return m_nStamp;
}

[[gnu::always_inline]] inline const CAppStreamBin::ST_INFO* CAppStreamBin::LoadRecord::NextField() {
  if (m_nNext >= m_nNamedEnd) return nullptr;
  const ST_INFO& info = m_pStream->m_infos[m_nNext];
  const std::uint32_t asked = GetType();
  if (info.field.type != asked && (asked != FT_VARIANT || !IsVariantSource(info.field.type))) return nullptr;
  if (!SameText(m_pStream->NameText(info.field.name), GetNameView())) return nullptr;
  m_nField = m_nNext++;
  m_bField = true;
  return &info;
}

[[gnu::always_inline]] inline const CAppStreamBin::ST_INFO* CAppStreamBin::LoadRecord::FindField() {
  const ST_INFO* info = NextField();
  return info != nullptr ? info : SearchField();
}

[[gnu::noinline]] const CAppStreamBin::ST_INFO* CAppStreamBin::LoadRecord::SearchField() {
  m_bField = false;
  const std::vector<ST_INFO>& infos = m_pStream->m_infos;
  const std::uint32_t id = m_pStream->AskedId(GetNameView());
  if (id != LoadStream::NO_ID) {
    // Classes ask for their fields in the order they wrote them: the search
    // starts after the field found last.
    const std::size_t count = m_nNamedEnd - m_nFirst;
    std::size_t i = m_nNext;
    for (std::size_t n = 0; n < count; ++n, ++i) {
      if (i >= m_nNamedEnd) i = m_nFirst;
      const ST_INFO& info = infos[i];
      if (info.id != id) continue;
      if (info.field.type != GetType() && !IsReadableAs(GetType(), info.field.type)) APP_THROW("Bad Field");
      m_nField = i;
      m_nNext = i + 1;
      m_bField = true;
      return &info;
    }
  }
  m_bMissed = true;
  return nullptr;
}

bool CAppStreamBin::LoadRecord::GetField() { return FindField() != nullptr; }

unsigned CAppStreamBin::LoadRecord::GetCount() { return m_bField ? EntryCount(m_nField) : 0; }

// The visits of the usual types, without the generic steps: what they read
// and what they refuse is what the generic visit reads and refuses.

bool CAppStreamBin::LoadRecord::ReadWord(std::uint32_t type, std::uint32_t& value) {
  SetType(type);
  const ST_INFO* info = FindField();
  if (info == nullptr) return false;
  if (info->count == 0) APP_THROW("Bad index");
  // Every type a word field may be read from is itself one word wide.
  value = static_cast<std::uint32_t>(m_pStream->ReadNumber(info->offset, 4));
  return true;
}

// The word of the field after the one found last, when it is the one asked
// for; false, without a trace, when it is not. Its caller then passes the
// field on to SearchWord, which asks again and searches: the usual case needs
// no more than this.
[[gnu::always_inline]] inline bool CAppStreamBin::LoadRecord::NextWord(std::uint32_t type, std::uint32_t& word) {
  SetType(type);
  const ST_INFO* info = NextField();
  if (info == nullptr) return false;
  if (info->count == 0) ThrowBadIndex();
  word = static_cast<std::uint32_t>(m_pStream->ReadNumber(info->offset, 4));
  return true;
}

template <class Word>
[[gnu::noinline]] void CAppStreamBin::LoadRecord::SearchWord(std::uint32_t type, Word& value) {
  std::uint32_t word = 0;
  if (!ReadWord(type, word)) return;
  if constexpr (std::is_integral_v<Word>) {
    value = static_cast<Word>(word);
  } else {
    value = word;
  }
}

void CAppStreamBin::LoadRecord::ThrowBadIndex() { APP_THROW("Bad index"); }

void CAppStreamBin::LoadRecord::_Do(CAppTools::Flags& value) {
  std::uint32_t word = 0;
  if (!NextWord(FT_FLAGS, word)) return SearchWord(FT_FLAGS, value);
  value = word;
}

void CAppStreamBin::LoadRecord::_Do(unsigned int& value) {
  std::uint32_t word = 0;
  if (!NextWord(IntegerCode<unsigned int>(), word)) return SearchWord(IntegerCode<unsigned int>(), value);
  value = word;
}

void CAppStreamBin::LoadRecord::_Do(int& value) {
  std::uint32_t word = 0;
  if (!NextWord(IntegerCode<int>(), word)) return SearchWord(IntegerCode<int>(), value);
  value = static_cast<int>(word);
}

[[gnu::always_inline]] inline std::string_view CAppStreamBin::LoadRecord::ReadString(const ST_INFO& info,
                                                                                    std::uint32_t index) const {
  return m_pStream->StringAt(m_pStream->ReadNumber(info.offset + 4 * index, 4));
}

void CAppStreamBin::LoadRecord::_Do(std::string& value) {
  SetType(FT_STRING);
  const ST_INFO* info = FindField();
  if (info == nullptr) return;
  if (info->count == 0) APP_THROW("Bad index");
  const std::string_view text = ReadString(*info, 0);
  // Read back in place, a value is mostly the one it already holds.
  if (!SameText(text, value)) value.assign(text);
}

void CAppStreamBin::LoadRecord::_Do(std::list<std::string>& list) {
  SetType(FT_STRINGS);
  const ST_INFO* info = FindField();
  if (info == nullptr) return;
  // The entries the list has are overwritten, not freed and made again.
  auto it = list.begin();
  for (std::uint32_t i = 0; i < info->count; ++i) {
    const std::string_view text = ReadString(*info, i);
    if (it != list.end()) {
      if (!SameText(text, *it)) it->assign(text);
      ++it;
    } else {
      list.emplace_back(text);
    }
  }
  list.erase(it, list.end());
}

void CAppStreamBin::LoadRecord::_Do(CAppParamGroup& group) {
  SetType(FT_GROUP);
  const ST_INFO* info = FindField();
  if (info == nullptr) return;
  if (info->count != kNotCounted) {
    // Listed already by a generic visit of the same field.
    CAppRecord::_Do(group);
    return;
  }
  const std::uint32_t start = info->offset;
  const std::uint32_t end = info->field.end;
  if (m_pStream->m_bRestore && RestoreInPlace(group, start, end)) return;
  LoadNewChildren(group, start, end);
}

void CAppStreamBin::LoadRecord::LoadNewChildren(CAppParamGroup& group, std::uint32_t start, std::uint32_t end) {
  group.RemoveAll();
  std::uint32_t pos = start;
  if (const std::uint32_t split = m_pStream->SplitPoint(start, end); split != 0) {
    // One try per load: a thread refused now would be refused again.
    m_pStream->m_bSplit = true;
    std::optional<LoadStream::Helper> helper;
    try {
      helper.emplace(*m_pStream, split, end);
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    if (helper) {
      g_nSplits.fetch_add(1, std::memory_order_relaxed);
      // A throw from here on stops the helper and destroys its children.
      ReadNewChildren(group, start, split, end);
      helper->Join();
      while (CAppParam* child = helper->Take()) AdoptChild(group, child);
      pos = helper->StopAt();
    }
  }
  ReadNewChildren(group, pos, end, end);
}

void CAppStreamBin::LoadRecord::ReadNewChildren(CAppParamGroup& group, std::uint32_t pos, std::uint32_t stop,
                                                std::uint32_t end) {
  while (pos < stop) {
    m_pStream->CheckHelper();
    const ST_FIELD entry = ReadEntry(pos, end);
    CAppParam* created = nullptr;
    try {
      // The new child goes straight to the loop, which destroys it if its
      // fields fail to load.
      created = m_pStream->CreateParam(entry.name);
      LoadRecord record(m_pStream, pos + HEADER_SIZE, entry.end, entry.name);
      created->Serialize(&record);
    } catch (...) {
      delete created;
      throw;
    }
    pos = entry.end;
    AdoptChild(group, created);
  }
}

void CAppStreamBin::LoadRecord::AdoptChild(CAppParamGroup& group, CAppParam* created) {
  // A plain key is adopted directly; an empty one or a path goes through
  // _SetAt, which reports it. _SetAt destroys the node if it throws; a node
  // neither adopted (key already held, or empty) has no parent and dies here.
  bool added = false;
  try {
    added = group.AddOwnKey(created);
  } catch (...) {
    delete created;
    throw;
  }
  if (added) return;
  CAppParam* adopted = group._SetAt(created->GetKey(), created, CAppParamGroup::ADD_BY_KEY);
  if (adopted == nullptr || created->GetParent() == nullptr) delete created;
}

bool CAppStreamBin::LoadRecord::RestoreInPlace(CAppParamGroup& group, std::uint32_t start, std::uint32_t end) {
  const std::uint32_t keyId = m_pStream->AskedId(kKeyField);
  // Each child in turn; at the first that does not match, the caller
  // rebuilds the whole group from the file, those already read included.
  POSITION pos = group.GetStartPosition();
  for (std::uint32_t at = start; at < end;) {
    const ST_FIELD entry = ReadEntry(at, end);
    CAppParam* child = group.GetNextPtr(pos);
    if (child == nullptr || keyId == LoadStream::NO_ID ||
        child->GetRuntimeClass() != m_pStream->FindClass(entry.name)) {
      return false;
    }
    LoadRecord record(m_pStream, at + HEADER_SIZE, entry.end, entry.name);
    std::string_view key;
    if (!record.PeekKey(keyId, key) || !SameText(key, child->GetKey())) return false;
    child->Serialize(&record);
    // A field the entry lacks kept the old value where a new child would
    // have its default, and a changed key would leave the group's index
    // stale.
    if (record.m_bMissed || !SameText(key, child->GetKey())) return false;
    at = entry.end;
  }
  return pos == nullptr;  // no child left over
}

bool CAppStreamBin::LoadRecord::PeekKey(std::uint32_t keyId, std::string_view& key) const {
  for (std::size_t i = m_nFirst; i < m_nNamedEnd; ++i) {
    const ST_INFO& info = m_pStream->m_infos[i];
    if (info.id != keyId) continue;
    if (info.field.type != FT_STRING || info.count == 0) return false;
    key = ReadString(info, 0);
    return true;
  }
  return false;
}

namespace {

// A variant from a stored entry: a string index, a float's bits or an integer.
void StoreVariant(CAppVariant& variant, const FieldType& stored, std::uint64_t n, const CAppStreamBin::Stream& stream) {
  const auto vt = static_cast<std::uint16_t>(stored.code);
  if (stored.kind == Kind::String) {
    if (n >= stream.GetStringCount()) APP_THROW("Bad data index");
    const std::string_view text = stream.GetName(static_cast<std::uint32_t>(n));
    // Read back in place, a value is mostly the one it already holds.
    if (!variant.IsString() || !SameText(text, variant.GetStringRef())) variant.SetString(std::string(text));
  } else if (stored.code == CAppVariant::VT_R4) {
    const auto bits = static_cast<std::uint32_t>(n);
    float f = 0;
    std::memcpy(&f, &bits, sizeof f);
    variant.SetDouble(vt, f);
  } else if (stored.code == CAppVariant::VT_R8) {
    double d = 0;
    std::memcpy(&d, &n, sizeof d);
    variant.SetDouble(vt, d);
  } else if (stored.kind == Kind::Integer) {
    variant.SetUInt(vt, n);
  } else {
    APP_THROW("Invalid Data");
  }
}

}  // namespace

void CAppStreamBin::LoadRecord::Serialize(void* value, unsigned index) {
  if (!m_bField) APP_THROW("Bad pointer");
  APP_CHECK_POINTER(value);
  const std::uint32_t count = EntryCount(m_nField);
  const ST_INFO info = m_pStream->m_infos[m_nField];
  if (index >= count) APP_THROW("Bad index");
  const FieldType* asked = FindFieldType(GetType());
  if (asked == nullptr) APP_THROW("Invalid Data");
  if (asked->kind == Kind::Param) {
    ReadParamEntry(value, info.offset + index);
    return;
  }
  const FieldType* stored = FindFieldType(info.field.type);
  if (stored == nullptr) APP_THROW("Invalid Data");
  const std::uint32_t pos = info.offset + index * stored->bytes;
  const std::uint64_t n = m_pStream->ReadNumber(pos, stored->bytes);
  switch (asked->kind) {
    case Kind::Integer: CAppRecord::StoreInteger(value, asked->bytes, n); return;
    case Kind::Flags: *static_cast<CAppTools::Flags*>(value) = static_cast<std::uint32_t>(n); return;
    case Kind::TypeCode: *static_cast<CAppTools::Type*>(value) = static_cast<std::uint32_t>(n); return;
    case Kind::String:
      if (n >= m_pStream->GetStringCount()) APP_THROW("Bad data index");
      *static_cast<std::string*>(value) = m_pStream->GetName(static_cast<std::uint32_t>(n));
      return;
    case Kind::Variant: StoreVariant(*static_cast<CAppVariant*>(value), *stored, n, *m_pStream); return;
    case Kind::Real:
    case Kind::Param:
      break;
  }
  APP_THROW("Invalid Data");
}

void CAppStreamBin::LoadRecord::_Do(CAppVariant& value) {
  SetType(FT_VARIANT);
  const ST_INFO* info = FindField();
  if (info == nullptr) return;
  // An element without entries (the empty variant) clears it.
  if (info->count == 0) {
    value.Clear();
    return;
  }
  const FieldType* stored = FindFieldType(info->field.type);
  if (stored == nullptr) APP_THROW("Invalid Data");
  StoreVariant(value, *stored, m_pStream->ReadNumber(info->offset, stored->bytes), *m_pStream);
}

void CAppStreamBin::LoadRecord::_Do(CAppTools::Type& value) {
  std::uint32_t word = 0;
  if (!NextWord(FT_TYPE, word)) return SearchWord(FT_TYPE, value);
  value = word;
}

void CAppStreamBin::LoadRecord::_Do(std::vector<std::uint32_t>& array) {
  SetType(FT_DWORDS);
  const ST_INFO* info = FindField();
  if (info == nullptr) return;
  // Every type a word array may be read from has one-word entries.
  array.resize(info->count);
  for (std::uint32_t i = 0; i < info->count; ++i) {
    array[i] = static_cast<std::uint32_t>(m_pStream->ReadNumber(info->offset + 4 * i, 4));
  }
}

void CAppStreamBin::LoadRecord::_Do(std::vector<std::string>& array) {
  SetType(FT_STRINGS);
  const ST_INFO* info = FindField();
  if (info == nullptr) return;
  array.resize(info->count);
  for (std::uint32_t i = 0; i < info->count; ++i) {
    const std::string_view text = ReadString(*info, i);
    if (!SameText(text, array[i])) array[i].assign(text);
  }
}

void CAppStreamBin::LoadRecord::ReadParamEntry(void* value, unsigned index) {
  if (index >= m_pStream->m_nInfos) APP_THROW("Bad data index");
  const ST_INFO entry = m_pStream->m_infos[index];
  if (entry.field.type != CAppRecord::FT_PARAM) APP_THROW("Bad Field");
  CAppParam*& param = *static_cast<CAppParam**>(value);
  // The new child goes straight to the caller, which destroys it if its
  // fields fail to load.
  if (param == nullptr) param = m_pStream->CreateParam(entry.field.name);
  LoadRecord record(m_pStream, entry.offset, entry.field.end, entry.field.name);
  param->Serialize(&record);
}

// --- Clone ------------------------------------------------------------------------------

namespace {

using Entry = std::variant<std::uint64_t, std::string, CAppVariant, CAppParam*>;

}  // namespace

struct CAppStreamBin::CloneRecord::CapturedField {
  std::string name;
  std::uint32_t type = 0;
  std::vector<Entry> entries;
};

// Keeps what the source visits: each field's type and its entries in order;
// a child parameter is kept as the source's own child, copied later.
class CAppStreamBin::CloneRecord::Capture : public CAppRecord {
public:
  void Clear() {
    fields.clear();
    m_pCurrent = nullptr;
    m_nHint = 0;
  }

  bool GetField() override {
    fields.push_back(CapturedField{GetName(), GetType(), {}});
    m_pCurrent = &fields.back();
    return true;
  }

  void Serialize(void* value, unsigned index) override {
    if (m_pCurrent == nullptr || index != m_pCurrent->entries.size()) APP_THROW("Clone Error");
    APP_CHECK_POINTER(value);
    const FieldType* type = FindFieldType(GetType());
    if (type == nullptr) APP_THROW("Invalid Data");
    std::vector<Entry>& entries = m_pCurrent->entries;
    switch (type->kind) {
      case Kind::Integer: entries.emplace_back(CAppRecord::LoadInteger(value, type->bytes)); return;
      case Kind::Flags:
        entries.emplace_back(std::uint64_t{static_cast<std::uint32_t>(*static_cast<const CAppTools::Flags*>(value))});
        return;
      case Kind::TypeCode:
        entries.emplace_back(std::uint64_t{static_cast<const CAppTools::Type*>(value)->GetCode()});
        return;
      case Kind::String: entries.emplace_back(*static_cast<const std::string*>(value)); return;
      case Kind::Variant: entries.emplace_back(*static_cast<const CAppVariant*>(value)); return;
      case Kind::Param: entries.emplace_back(*static_cast<CAppParam* const*>(value)); return;
      case Kind::Real: break;
    }
    APP_THROW("Invalid Data");
  }

  void Validate() override { m_pCurrent = nullptr; }

  // The captured field of that name; fields are usually asked for in the
  // order they were captured, so the search starts after the last one found.
  const CapturedField* Find(const std::string& name) {
    for (std::size_t n = 0; n < fields.size(); ++n) {
      const std::size_t i = (m_nHint + n) % fields.size();
      if (fields[i].name == name) {
        m_nHint = i + 1;
        return &fields[i];
      }
    }
    return nullptr;
  }

  std::vector<CapturedField> fields;

private:
  CapturedField* m_pCurrent = nullptr;
  std::size_t m_nHint = 0;
};

CAppStreamBin::CloneRecord::CloneRecord(CAppParamGroup::EN_ADD_MODE mode)
    : m_addMode(mode), m_capture(std::make_unique<Capture>()) {}

CAppStreamBin::CloneRecord::CloneRecord(CloneRecord* parent)
    : m_addMode(parent != nullptr ? parent->m_addMode : CAppParamGroup::ADD_BY_KEY),
      m_capture(std::make_unique<Capture>()) {
  APP_CHECK_POINTER(parent);
}

CAppStreamBin::CloneRecord::~CloneRecord() = default;

void CAppStreamBin::CloneRecord::GetClone(CAppParam*& destination, CAppParam* source) {
  APP_CHECK_POINTER(source);
  m_pMergeGroup = nullptr;
  m_pField = nullptr;
  if (destination != nullptr) {
    if (m_addMode == CAppParamGroup::ADD_MERGE) {
      m_pMergeGroup = destination->GetGroup();
    } else {
      // Loading a group's children first destroys the old ones; the source
      // must not be among them.
      for (const CAppParam* node = source; node != nullptr; node = node->GetParent()) {
        if (node == destination) APP_THROW("Clone Error");
      }
    }
  }
  m_capture->Clear();
  source->Serialize(m_capture.get());

  std::unique_ptr<CAppParam> created;
  if (destination == nullptr) {
    created = CAppDynamic::GetRegisterClass<CAppParam>(source->GetClassName());
    if (!created) APP_THROW("Bad pointer");
    destination = created.get();
  }
  try {
    destination->Serialize(this);
  } catch (...) {
    if (created) destination = nullptr;
    throw;
  }
  (void)created.release();
  m_capture->Clear();
}

bool CAppStreamBin::CloneRecord::GetField() {
  const CapturedField* field = m_capture->Find(GetName());
  m_pField = field;
  if (field == nullptr) return false;
  // The same name with another type is another field: replaying it would
  // write through a pointer of the wrong type.
  if (field->type != GetType()) APP_THROW("Clone Error");
  return true;
}

unsigned CAppStreamBin::CloneRecord::GetCount() {
  const CapturedField* field = m_pField;
  return field != nullptr ? static_cast<unsigned>(field->entries.size()) : 0;
}

void CAppStreamBin::CloneRecord::Serialize(void* value, unsigned index) {
  const CapturedField* field = m_pField;
  if (field == nullptr || index >= field->entries.size()) APP_THROW("Clone Error");
  APP_CHECK_POINTER(value);
  const Entry& entry = field->entries[index];
  const FieldType* type = FindFieldType(field->type);
  if (type == nullptr) APP_THROW("Invalid Data");
  switch (type->kind) {
    case Kind::Integer:
      if (type->bytes == 8) break;  // 64-bit values are not cloned
      CAppRecord::StoreInteger(value, type->bytes, std::get<std::uint64_t>(entry));
      return;
    case Kind::Flags:
      *static_cast<CAppTools::Flags*>(value) = static_cast<std::uint32_t>(std::get<std::uint64_t>(entry));
      return;
    case Kind::TypeCode:
      *static_cast<CAppTools::Type*>(value) = static_cast<std::uint32_t>(std::get<std::uint64_t>(entry));
      return;
    case Kind::String: *static_cast<std::string*>(value) = std::get<std::string>(entry); return;
    case Kind::Variant: *static_cast<CAppVariant*>(value) = std::get<CAppVariant>(entry); return;
    case Kind::Param: {
      CAppParam* source = std::get<CAppParam*>(entry);
      CAppParam*& target = *static_cast<CAppParam**>(value);
      // Merging: a child the destination already has is merged into, not
      // replaced. It stays the group's: never hand it back for destruction.
      bool existing = false;
      if (m_pMergeGroup != nullptr && source != nullptr) {
        if (CAppParam* own = m_pMergeGroup->FindChild(source->GetKey())) {
          target = own;
          existing = true;
        }
      }
      CloneRecord child(this);
      try {
        child.GetClone(target, source);
      } catch (...) {
        if (existing) target = nullptr;
        throw;
      }
      return;
    }
    case Kind::Real: break;
  }
  APP_THROW("Invalid Data");
}

// --- Services --------------------------------------------------------------------------

namespace {

// Adds `node` to `group` under `key`; "Error" when the group does not take it.
void AddChild(CAppParamGroup* group, const std::string& key, std::unique_ptr<CAppParam> node) {
  CAppParam* raw = node.release();
  group->_SetAt(key, raw, CAppParamGroup::ADD_BY_KEY);
  if (group->FindChild(key) != raw) {
    if (raw->GetParent() == nullptr) delete raw;
    APP_THROW("Error");
  }
}

}  // namespace

std::unique_ptr<CAppParam> CAppStreamBin::CloneParam(CAppParam* source) {
  APP_CHECK_POINTER(source);
  CAppParam* clone = nullptr;
  CloneRecord(CAppParamGroup::ADD_BY_KEY).GetClone(clone, source);
  return std::unique_ptr<CAppParam>(clone);
}

void CAppStreamBin::MergeParam(CAppParam* destination, CAppParam* source) {
  APP_CHECK_POINTER(destination);
  APP_CHECK_POINTER(source);
  CloneRecord(CAppParamGroup::ADD_MERGE).GetClone(destination, source);
}

void CAppStreamBin::AddGroupParams(CAppParam* destination, CAppParamGroup* source) {
  APP_CHECK_POINTER(destination);
  APP_CHECK_POINTER(source);
  CAppParamGroup* group = destination->GetGroup();
  if (group == nullptr) return;
  CAppParam* counterpart = source->FindChild(destination->GetKey());
  CAppParamGroup* from = counterpart != nullptr ? counterpart->GetGroup() : nullptr;
  if (from == nullptr) return;
  POSITION pos = from->GetStartPosition();
  while (pos != nullptr) {
    CAppParam* child = from->GetNextPtr(pos);
    if (group->FindChild(child->GetKey()) != nullptr) continue;
    AddChild(group, child->GetKey(), CloneParam(child));
  }
}

void CAppStreamBin::AddParams(CAppParamGroup* destination, CAppParamGroup* source,
                              const std::vector<std::string>& keys) {
  APP_CHECK_POINTER(destination);
  APP_CHECK_POINTER(source);
  for (const std::string& key : keys) {
    if (CAppParam* own = destination->FindChild(key)) {
      AddGroupParams(own, source);
    } else if (CAppParam* theirs = source->FindChild(key)) {
      AddChild(destination, key, CloneParam(theirs));
    }
  }
}

std::unique_ptr<CAppToolsBin::Stream> CAppStreamBin::CreateUndo(CAppParam* param) {
  APP_CHECK_POINTER(param);
  auto snapshot = std::make_unique<CAppToolsBin::Memory>(4096);
  SaveStream save(snapshot.get(), param);
  return snapshot;
}

void CAppStreamBin::MakeUndo(CAppToolsBin::Stream* snapshot, CAppParam* param) {
  APP_CHECK_POINTER(snapshot);
  APP_CHECK_POINTER(param);
  LoadStream load(snapshot, param, true);
}

// --- Files -------------------------------------------------------------------------------

void CAppStreamBin::Save(CAppParam* param, const std::string& file, SaveRule rule) {
  CAppToolsBin::File output(4096);
  Save(param, file, std::move(rule), output);
}

void CAppStreamBin::Save(CAppParam* param, const std::string& file, std::unique_ptr<CAppRuleParam> rule) {
  SaveRule decide;
  if (rule != nullptr) {
    std::shared_ptr<CAppRuleParam> owned = std::move(rule);
    decide = [owned](CAppParam* node) { return owned->Run(node) != 0; };
  }
  Save(param, file, std::move(decide));
}

namespace {

// The regular file a save is about to replace, open for reading, or -1. A
// link is not followed: the rename replaces the link, not what it names.
class ReplacedFile {
public:
  explicit ReplacedFile(const std::string& path) {
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) return;
    m_fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  }
  ~ReplacedFile() { Close(); }
  ReplacedFile(const ReplacedFile&) = delete;
  ReplacedFile& operator=(const ReplacedFile&) = delete;
  int Get() const { return m_fd; }
  void Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
  }

private:
  int m_fd = -1;
};

}  // namespace

void CAppStreamBin::Save(CAppParam* param, const std::string& file, SaveRule rule, CAppToolsBin::File& output) {
  APP_CHECK_POINTER(param);
  if (output.IsOpen()) APP_THROW("File already open");
  std::string temp;
  const int fd = AppCreateTemporaryBeside(file, temp);
  if (fd < 0) APP_THROW("File not create");
  output.AdoptForWriting(fd);
  ReplacedFile replaced(file);

  // The file is written while the tree is visited; whatever fails, only the
  // temporary file has seen it, and it goes.
  std::string reason;
  try {
    try {
      SaveStream save(output, param, std::move(rule), replaced.Get());
    } catch (const WriteFailure& failure) {
      reason = failure.reason;
    }
  } catch (...) {
    output.Close();
    ::unlink(temp.c_str());
    try {
      throw;
    } catch (const CAppException&) {
      throw;
    } catch (const std::exception& e) {
      APP_THROW("Save error : %s", e.what());
    }
  }
  output.Close();
  replaced.Close();

  if (reason.empty()) {
    // On disk before the rename, so that a crash leaves the old file or the new one.
    const int sync = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
    if (sync < 0 || ::fsync(sync) != 0) reason = std::strerror(errno);
    if (sync >= 0) ::close(sync);
  }
  if (reason.empty() && std::rename(temp.c_str(), file.c_str()) != 0) reason = std::strerror(errno);
  if (!reason.empty()) {
    ::unlink(temp.c_str());
    APP_THROW("File not written : %s (%s)", file.c_str(), reason.c_str());
  }
}

std::unique_ptr<CAppParam> CAppStreamBin::Load(const std::string& file) {
  CAppToolsBin::File input(4096);
  if (!input.Open(file, false)) return nullptr;
  CAppParam* param = nullptr;
  LoadStream load(&input, param);
  return std::unique_ptr<CAppParam>(param);
}
