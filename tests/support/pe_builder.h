#pragma once
// Builds PE32, PE32+ and ROM images in memory: chosen headers, imports,
// exports, delay-load tables, resources and load-configuration data. Tests
// break the result on purpose through the layout it reports.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace tarnix::test {

struct ImportSymbol {
  std::string name;                // used when `ordinal` is not set
  uint16_t hint = 0;
  std::optional<uint64_t> ordinal;  // import by ordinal

  static ImportSymbol Named(std::string name, uint16_t hint = 0) {
    return {std::move(name), hint, std::nullopt};
  }
  static ImportSymbol Ordinal(uint64_t ordinal) { return {{}, 0, ordinal}; }
};

struct ImportModule {
  std::string module;
  std::vector<ImportSymbol> symbols;
  // 0 unbound, 0xFFFFFFFF bound, any other value bound the old way.
  uint32_t timeDateStamp = 0;
  bool lookupTable = true;  // false: OriginalFirstThunk is 0
};

struct DelayImportModule {
  std::string module;
  std::vector<ImportSymbol> symbols;
  bool oldFormat = false;  // Attributes 0 and virtual addresses instead of RVAs
  uint32_t timeDateStamp = 0;
};

struct ExportSymbol {
  ExportSymbol(uint32_t ord, std::string n, std::string fwd = {})  // NOLINT: {1, "Name", ""}
      : ordinal(ord), name(std::move(n)), forwarder(std::move(fwd)) {}
  // A symbol in an extra section, or at an address of its own.
  static ExportSymbol In(uint32_t ord, std::string n, std::string sectionName) {
    ExportSymbol e(ord, std::move(n));
    e.section = std::move(sectionName);
    return e;
  }
  static ExportSymbol At(uint32_t ord, std::string n, uint32_t address) {
    ExportSymbol e(ord, std::move(n));
    e.rva = address;
    return e;
  }

  uint32_t ordinal = 0;   // the biased ordinal (Base included)
  std::string name;       // empty: exported by ordinal only
  std::string forwarder;  // not empty: forwarded, e.g. "NTDLL.RtlAllocateHeap"
  // Where a symbol that is not forwarded lies: in .text (a return
  // instruction each) unless `section` names an extra section (8 bytes
  // each from its start), or at `rva` exactly when that is set.
  std::string section;
  std::optional<uint32_t> rva;
};

// A section after the usual ones (".data", ".bss", ".apiset").
struct ExtraSection {
  std::string name;
  std::string bytes;
  uint32_t characteristics = 0xC0000040;  // initialised data, read, write
  uint32_t virtualSize = 0;               // 0: the size of `bytes`
};

struct ExportTable {
  std::string module;
  uint32_t base = 1;
  std::vector<ExportSymbol> symbols;
};

// A resource type, name or language entry: a number, or a name when `name`
// is not empty.
struct ResourceId {
  uint16_t id = 0;
  std::u16string name;
  ResourceId(uint16_t number) : id(number) {}  // NOLINT: numbers read naturally
  ResourceId(std::u16string text) : name(std::move(text)) {}  // NOLINT
};

struct LoadConfig {
  uint32_t size = 0;           // the structure's own Size field
  uint64_t securityCookie = 0;
  uint32_t directorySize = 0;  // 0: the same as `size`
};

// Where the builder put things (file offsets unless said otherwise).
struct ImageLayout {
  uint32_t lfanew = 0;
  uint32_t optionalHeader = 0;
  uint32_t dataDirectories = 0;
  uint32_t sectionTable = 0;
  uint32_t rdataRva = 0, rdataOffset = 0;
  uint32_t rsrcRva = 0, rsrcOffset = 0;
  uint32_t importDescriptors = 0;   // 0 when none
  uint32_t exportDirectory = 0;     // 0 when none
  uint32_t delayDescriptors = 0;    // 0 when none
  uint32_t loadConfig = 0;          // 0 when none
  // The extra sections in the order given: RVA and file offset.
  std::vector<std::pair<uint32_t, uint32_t>> extraSections;
};

struct BuiltImage {
  std::string bytes;
  ImageLayout layout;
};

class PeBuilder {
 public:
  enum class Kind { kPe32, kPe64, kRom };

  explicit PeBuilder(Kind kind = Kind::kPe64);

  PeBuilder& TimeStamp(uint32_t value);
  PeBuilder& Characteristics(uint16_t value);  // COFF Characteristics
  PeBuilder& DllCharacteristics(uint16_t value);
  PeBuilder& Subsystem(uint16_t value);
  PeBuilder& ImageBase(uint64_t value);
  PeBuilder& NumberOfRvaAndSizes(uint32_t value);

  PeBuilder& Import(ImportModule module);
  PeBuilder& DelayImport(DelayImportModule module);
  PeBuilder& Exports(ExportTable table);
  // One resource leaf with arbitrary bytes.
  PeBuilder& Resource(ResourceId type, ResourceId name, uint16_t language, std::string data);
  // A type directory without any entries below it.
  PeBuilder& EmptyResourceType(ResourceId type);
  // The whole resource section as given; its offsets count from its start.
  PeBuilder& RawResources(std::string section);
  PeBuilder& LoadConfiguration(LoadConfig config);
  PeBuilder& Section(ExtraSection section);
  // Sets data directory `index` after everything else has been laid out.
  PeBuilder& Directory(uint32_t index, uint32_t rva, uint32_t size);

  BuiltImage Build() const;

 private:
  struct ResourceLeaf {
    ResourceId type, name;
    uint16_t language;
    std::string data;
  };

  Kind kind_;
  uint32_t timeStamp_ = 0x5F000000;
  uint16_t characteristics_ = 0x2022;  // executable, large address aware, DLL
  uint16_t dllCharacteristics_ = 0x0160;
  uint16_t subsystem_ = 2;
  std::optional<uint64_t> imageBase_;
  uint32_t numberOfRvaAndSizes_ = 16;
  std::vector<ImportModule> imports_;
  std::vector<DelayImportModule> delayImports_;
  std::optional<ExportTable> exports_;
  std::vector<ResourceLeaf> resources_;
  std::vector<ResourceId> emptyTypes_;
  std::optional<std::string> rawResources_;
  std::optional<LoadConfig> loadConfig_;
  std::vector<ExtraSection> extraSections_;
  std::vector<std::pair<uint32_t, std::pair<uint32_t, uint32_t>>> directories_;
};

// Little-endian field access on built bytes, for tests that break images.
template <class T>
void Poke(std::string& bytes, size_t offset, T value) {
  if (offset + sizeof(T) > bytes.size()) bytes.resize(offset + sizeof(T));
  std::memcpy(bytes.data() + offset, &value, sizeof(T));
}

template <class T>
T Peek(const std::string& bytes, size_t offset) {
  T value{};
  std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return value;
}

}  // namespace tarnix::test
