#include "support/pe_builder.h"

#include <algorithm>
#include <map>

namespace tarnix::test {
namespace {

constexpr uint32_t kLfanew = 0x80;
constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;

uint32_t AlignUp(uint32_t value, uint32_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

// The bytes of one section, addressed by RVA while they are laid out.
class SectionBytes {
 public:
  explicit SectionBytes(uint32_t rva) : rva_(rva) {}

  uint32_t rva() const { return rva_; }
  uint32_t end() const { return rva_ + static_cast<uint32_t>(bytes_.size()); }
  std::string& bytes() { return bytes_; }

  // Reserves `size` zero bytes aligned to `alignment` and answers their RVA.
  uint32_t Reserve(size_t size, uint32_t alignment = 4) {
    bytes_.resize(AlignUp(static_cast<uint32_t>(bytes_.size()), alignment));
    uint32_t at = end();
    bytes_.resize(bytes_.size() + size);
    return at;
  }
  uint32_t AddString(const std::string& s, uint32_t alignment = 1) {
    uint32_t at = Reserve(s.size() + 1, alignment);
    std::memcpy(bytes_.data() + (at - rva_), s.data(), s.size());
    return at;
  }
  uint32_t AddBytes(const std::string& s, uint32_t alignment) {
    uint32_t at = Reserve(s.size(), alignment);
    std::memcpy(bytes_.data() + (at - rva_), s.data(), s.size());
    return at;
  }
  template <class T>
  T Get(uint32_t rva) const {
    T value;
    std::memcpy(&value, bytes_.data() + (rva - rva_), sizeof(T));
    return value;
  }
  template <class T>
  void Put(uint32_t rva, T value) {
    std::memcpy(bytes_.data() + (rva - rva_), &value, sizeof(T));
  }

 private:
  uint32_t rva_;
  std::string bytes_;
};

struct Width {
  bool pe64;
  uint32_t thunk;
  void PutThunk(SectionBytes& s, uint32_t rva, uint64_t value) const {
    if (pe64)
      s.Put<uint64_t>(rva, value);
    else
      s.Put<uint32_t>(rva, static_cast<uint32_t>(value));
  }
  uint64_t GetThunk(SectionBytes& s, uint32_t rva) const {
    return pe64 ? s.Get<uint64_t>(rva) : s.Get<uint32_t>(rva);
  }
  uint64_t OrdinalFlag() const { return pe64 ? 0x8000000000000000ull : 0x80000000ull; }
};

// Lays out an import name table (and a copy of it for the address table)
// with the hint/name records it points at; answers the table's RVA.
uint32_t AddNameTable(SectionBytes& s, const Width& w, const std::vector<ImportSymbol>& symbols,
                      uint64_t addressBias) {
  uint32_t table = s.Reserve(w.thunk * (symbols.size() + 1), 8);
  for (size_t i = 0; i < symbols.size(); ++i) {
    const ImportSymbol& sym = symbols[i];
    uint64_t entry = 0;
    if (sym.ordinal) {
      entry = w.OrdinalFlag() | *sym.ordinal;
    } else {
      uint32_t hintName = s.Reserve(2 + sym.name.size() + 1, 2);
      s.Put<uint16_t>(hintName, sym.hint);
      std::memcpy(s.bytes().data() + (hintName + 2 - s.rva()), sym.name.data(), sym.name.size());
      entry = hintName + addressBias;
    }
    w.PutThunk(s, table + static_cast<uint32_t>(w.thunk * i), entry);
  }
  return table;
}

void PutString16(SectionBytes& s, uint32_t rva, const std::u16string& text) {
  s.Put<uint16_t>(rva, static_cast<uint16_t>(text.size()));
  std::memcpy(s.bytes().data() + (rva + 2 - s.rva()), text.data(), text.size() * 2);
}

bool IdLess(const ResourceId& a, const ResourceId& b) {
  // Named entries come first, sorted by name; then numbered ones by number.
  if (a.name.empty() != b.name.empty()) return !a.name.empty();
  if (!a.name.empty()) return a.name < b.name;
  return a.id < b.id;
}

struct IdOrder {
  bool operator()(const ResourceId& a, const ResourceId& b) const { return IdLess(a, b); }
};

}  // namespace

PeBuilder::PeBuilder(Kind kind) : kind_(kind) {
  if (kind == Kind::kPe32) characteristics_ = 0x2102;  // executable, 32-bit machine, DLL
}

PeBuilder& PeBuilder::TimeStamp(uint32_t value) { timeStamp_ = value; return *this; }
PeBuilder& PeBuilder::Characteristics(uint16_t value) { characteristics_ = value; return *this; }
PeBuilder& PeBuilder::DllCharacteristics(uint16_t value) { dllCharacteristics_ = value; return *this; }
PeBuilder& PeBuilder::Subsystem(uint16_t value) { subsystem_ = value; return *this; }
PeBuilder& PeBuilder::ImageBase(uint64_t value) { imageBase_ = value; return *this; }
PeBuilder& PeBuilder::NumberOfRvaAndSizes(uint32_t value) { numberOfRvaAndSizes_ = value; return *this; }
PeBuilder& PeBuilder::Import(ImportModule module) { imports_.push_back(std::move(module)); return *this; }
PeBuilder& PeBuilder::DelayImport(DelayImportModule module) { delayImports_.push_back(std::move(module)); return *this; }
PeBuilder& PeBuilder::Exports(ExportTable table) { exports_ = std::move(table); return *this; }
PeBuilder& PeBuilder::Resource(ResourceId type, ResourceId name, uint16_t language, std::string data) {
  resources_.push_back({std::move(type), std::move(name), language, std::move(data)});
  return *this;
}
PeBuilder& PeBuilder::EmptyResourceType(ResourceId type) { emptyTypes_.push_back(std::move(type)); return *this; }
PeBuilder& PeBuilder::RawResources(std::string section) { rawResources_ = std::move(section); return *this; }
PeBuilder& PeBuilder::LoadConfiguration(LoadConfig config) { loadConfig_ = config; return *this; }
PeBuilder& PeBuilder::Section(ExtraSection section) { extraSections_.push_back(std::move(section)); return *this; }
PeBuilder& PeBuilder::Directory(uint32_t index, uint32_t rva, uint32_t size) {
  directories_.push_back({index, {rva, size}});
  return *this;
}

BuiltImage PeBuilder::Build() const {
  const bool rom = kind_ == Kind::kRom;
  const Width w{kind_ == Kind::kPe64, kind_ == Kind::kPe64 ? 8u : 4u};
  struct ExportFixup {
    uint32_t slot;
    std::string section;
    uint32_t offset;
  };
  std::vector<ExportFixup> exportFixups;
  const uint64_t imageBase =
      imageBase_.value_or(w.pe64 ? 0x180000000ull : 0x10000000ull);
  const bool hasResources = rawResources_ || !resources_.empty() || !emptyTypes_.empty();
  const uint16_t sectionCount =
      static_cast<uint16_t>((hasResources ? 3 : 2) + extraSections_.size());
  const uint32_t optionalSize = rom ? 56 : (w.pe64 ? 240 : 224);

  BuiltImage out;
  ImageLayout& layout = out.layout;
  layout.lfanew = kLfanew;
  layout.optionalHeader = kLfanew + 24;
  layout.dataDirectories = layout.optionalHeader + (w.pe64 ? 112 : 96);
  layout.sectionTable = layout.optionalHeader + optionalSize;
  const uint32_t sizeOfHeaders =
      AlignUp(layout.sectionTable + 40 * sectionCount, kFileAlignment);

  // .text: a return instruction for every exported function.
  size_t functions = 0;
  if (exports_)
    for (const ExportSymbol& e : exports_->symbols) functions += e.forwarder.empty();
  SectionBytes text(kSectionAlignment);
  text.bytes().assign(std::max<size_t>(16, 16 * functions), '\xC3');

  SectionBytes rdata(AlignUp(text.end(), kSectionAlignment));
  uint32_t dirs[16][2] = {};

  if (!imports_.empty()) {
    uint32_t descriptors = rdata.Reserve(20 * (imports_.size() + 1));
    dirs[1][0] = descriptors;
    dirs[1][1] = static_cast<uint32_t>(20 * (imports_.size() + 1));
    for (size_t m = 0; m < imports_.size(); ++m) {
      const ImportModule& mod = imports_[m];
      uint32_t name = rdata.AddString(mod.module);
      uint32_t names = AddNameTable(rdata, w, mod.symbols, 0);
      uint32_t addresses = rdata.Reserve(w.thunk * (mod.symbols.size() + 1), 8);
      for (size_t i = 0; i < mod.symbols.size(); ++i) {
        // A bound table holds the addresses the functions had at binding time.
        uint64_t entry = mod.timeDateStamp != 0
                             ? 0x7FF00000ull + 16 * i
                             : w.GetThunk(rdata, names + static_cast<uint32_t>(w.thunk * i));
        w.PutThunk(rdata, addresses + static_cast<uint32_t>(w.thunk * i), entry);
      }
      uint32_t d = descriptors + static_cast<uint32_t>(20 * m);
      rdata.Put<uint32_t>(d + 0, mod.lookupTable ? names : 0);
      rdata.Put<uint32_t>(d + 4, mod.timeDateStamp);
      rdata.Put<uint32_t>(d + 8, mod.timeDateStamp == 0 ? 0 : 0xFFFFFFFF);
      rdata.Put<uint32_t>(d + 12, name);
      rdata.Put<uint32_t>(d + 16, addresses);
    }
    layout.importDescriptors = descriptors;  // made a file offset below
  }

  if (!delayImports_.empty()) {
    uint32_t descriptors = rdata.Reserve(32 * (delayImports_.size() + 1));
    dirs[13][0] = descriptors;
    dirs[13][1] = static_cast<uint32_t>(32 * (delayImports_.size() + 1));
    for (size_t m = 0; m < delayImports_.size(); ++m) {
      const DelayImportModule& mod = delayImports_[m];
      // The old format stores virtual addresses: RVA + image base.
      uint64_t bias = mod.oldFormat ? imageBase : 0;
      uint32_t name = rdata.AddString(mod.module);
      uint32_t handle = rdata.Reserve(8, 8);
      uint32_t names = AddNameTable(rdata, w, mod.symbols, bias);
      uint32_t addresses = rdata.Reserve(w.thunk * (mod.symbols.size() + 1), 8);
      for (size_t i = 0; i < mod.symbols.size(); ++i)  // the load helper's thunks
        w.PutThunk(rdata, addresses + static_cast<uint32_t>(w.thunk * i),
                   imageBase + text.rva() + 16 * i);
      uint32_t d = descriptors + static_cast<uint32_t>(32 * m);
      rdata.Put<uint32_t>(d + 0, mod.oldFormat ? 0 : 1);
      rdata.Put<uint32_t>(d + 4, static_cast<uint32_t>(name + bias));
      rdata.Put<uint32_t>(d + 8, static_cast<uint32_t>(handle + bias));
      rdata.Put<uint32_t>(d + 12, static_cast<uint32_t>(addresses + bias));
      rdata.Put<uint32_t>(d + 16, static_cast<uint32_t>(names + bias));
      rdata.Put<uint32_t>(d + 28, mod.timeDateStamp);
    }
    layout.delayDescriptors = descriptors;
  }

  if (exports_) {
    const ExportTable& t = *exports_;
    uint32_t count = 0;
    for (const ExportSymbol& e : t.symbols) count = std::max(count, e.ordinal - t.base + 1);
    std::vector<const ExportSymbol*> named;
    for (const ExportSymbol& e : t.symbols)
      if (!e.name.empty()) named.push_back(&e);
    std::sort(named.begin(), named.end(),
              [](const ExportSymbol* a, const ExportSymbol* b) { return a->name < b->name; });
    uint32_t dir = rdata.Reserve(40);
    uint32_t functionsTable = rdata.Reserve(4 * count);
    uint32_t namesTable = rdata.Reserve(4 * named.size());
    uint32_t ordinalsTable = rdata.Reserve(2 * named.size(), 2);
    uint32_t moduleName = rdata.AddString(t.module);
    for (size_t j = 0; j < named.size(); ++j) {
      rdata.Put<uint32_t>(namesTable + 4 * static_cast<uint32_t>(j), rdata.AddString(named[j]->name));
      rdata.Put<uint16_t>(ordinalsTable + 2 * static_cast<uint32_t>(j),
                          static_cast<uint16_t>(named[j]->ordinal - t.base));
    }
    uint32_t code = text.rva();
    std::map<std::string, uint32_t> sectionUse;
    for (const ExportSymbol& e : t.symbols) {
      uint32_t slot = functionsTable + 4 * (e.ordinal - t.base);
      if (!e.forwarder.empty()) {
        rdata.Put<uint32_t>(slot, rdata.AddString(e.forwarder));
      } else if (e.rva) {
        rdata.Put<uint32_t>(slot, *e.rva);
      } else if (!e.section.empty()) {
        // Patched once the extra sections have their addresses.
        exportFixups.push_back({slot, e.section, 8 * sectionUse[e.section]++});
      } else {
        rdata.Put<uint32_t>(slot, code);
        code += 16;
      }
    }
    rdata.Put<uint32_t>(dir + 4, timeStamp_);
    rdata.Put<uint32_t>(dir + 12, moduleName);
    rdata.Put<uint32_t>(dir + 16, t.base);
    rdata.Put<uint32_t>(dir + 20, count);
    rdata.Put<uint32_t>(dir + 24, static_cast<uint32_t>(named.size()));
    rdata.Put<uint32_t>(dir + 28, functionsTable);
    rdata.Put<uint32_t>(dir + 32, namesTable);
    rdata.Put<uint32_t>(dir + 36, ordinalsTable);
    dirs[0][0] = dir;
    dirs[0][1] = rdata.end() - dir;
    layout.exportDirectory = dir;
  }

  if (loadConfig_) {
    const LoadConfig& lc = *loadConfig_;
    uint32_t dirSize = lc.directorySize ? lc.directorySize : lc.size;
    uint32_t cookieAt = w.pe64 ? 88 : 60;
    uint32_t room = std::max({lc.size, dirSize, 4u});
    uint32_t at = rdata.Reserve(room, 8);
    rdata.Put<uint32_t>(at, lc.size);
    if (cookieAt + w.thunk <= room) w.PutThunk(rdata, at + cookieAt, lc.securityCookie);
    dirs[10][0] = at;
    dirs[10][1] = dirSize;
    layout.loadConfig = at;
  }
  rdata.Reserve(16, 16);  // never empty: the next section starts past it

  SectionBytes rsrc(AlignUp(rdata.end(), kSectionAlignment));
  if (rawResources_) {
    rsrc.bytes() = *rawResources_;
  } else if (hasResources) {
    // type -> name -> language -> leaf
    std::map<ResourceId, std::map<ResourceId, std::map<uint16_t, const ResourceLeaf*>, IdOrder>,
             IdOrder>
        tree;
    for (const ResourceId& t : emptyTypes_) tree[t];
    for (const ResourceLeaf& leaf : resources_) tree[leaf.type][leaf.name][leaf.language] = &leaf;

    auto directory = [&](size_t entries) {
      uint32_t at = rsrc.Reserve(16 + 8 * entries);
      rsrc.Put<uint16_t>(at + 14, 0);
      return at;
    };
    auto setCounts = [&](uint32_t dir, size_t named, size_t numbered) {
      rsrc.Put<uint16_t>(dir + 12, static_cast<uint16_t>(named));
      rsrc.Put<uint16_t>(dir + 14, static_cast<uint16_t>(numbered));
    };
    auto entryName = [&](const ResourceId& id) -> uint32_t {
      if (id.name.empty()) return id.id;
      uint32_t at = rsrc.Reserve(2 + 2 * id.name.size(), 2);
      PutString16(rsrc, at, id.name);
      return 0x80000000u | (at - rsrc.rva());
    };
    auto countNamed = [](const auto& m) {
      size_t n = 0;
      for (const auto& [id, v] : m) n += !id.name.empty();
      return n;
    };
    uint32_t root = directory(tree.size());
    setCounts(root, countNamed(tree), tree.size() - countNamed(tree));
    size_t ti = 0;
    for (const auto& [type, names] : tree) {
      uint32_t typeDir = directory(names.size());
      setCounts(typeDir, countNamed(names), names.size() - countNamed(names));
      uint32_t typeEntry = root + 16 + 8 * static_cast<uint32_t>(ti++);
      rsrc.Put<uint32_t>(typeEntry, entryName(type));
      rsrc.Put<uint32_t>(typeEntry + 4, 0x80000000u | (typeDir - rsrc.rva()));
      size_t ni = 0;
      for (const auto& [name, languages] : names) {
        uint32_t nameDir = directory(languages.size());
        setCounts(nameDir, 0, languages.size());
        uint32_t nameEntry = typeDir + 16 + 8 * static_cast<uint32_t>(ni++);
        rsrc.Put<uint32_t>(nameEntry, entryName(name));
        rsrc.Put<uint32_t>(nameEntry + 4, 0x80000000u | (nameDir - rsrc.rva()));
        size_t li = 0;
        for (const auto& [language, leaf] : languages) {
          uint32_t dataEntry = rsrc.Reserve(16);
          uint32_t data = rsrc.AddBytes(leaf->data, 8);
          rsrc.Put<uint32_t>(dataEntry, data);
          rsrc.Put<uint32_t>(dataEntry + 4, static_cast<uint32_t>(leaf->data.size()));
          uint32_t langEntry = nameDir + 16 + 8 * static_cast<uint32_t>(li++);
          rsrc.Put<uint32_t>(langEntry, language);
          rsrc.Put<uint32_t>(langEntry + 4, dataEntry - rsrc.rva());
        }
      }
    }
  }
  if (hasResources) {
    dirs[2][0] = rsrc.rva();
    dirs[2][1] = static_cast<uint32_t>(std::max<size_t>(rsrc.bytes().size(), 16));
  }
  // Extra sections follow the others, each at the section alignment.
  std::vector<SectionBytes> extras;
  extras.reserve(extraSections_.size());
  uint32_t nextRva = AlignUp(hasResources ? rsrc.end() : rdata.end(), kSectionAlignment);
  for (const ExtraSection& x : extraSections_) {
    extras.emplace_back(nextRva);
    extras.back().bytes() = x.bytes;
    uint32_t span = std::max<uint32_t>({static_cast<uint32_t>(x.bytes.size()), x.virtualSize, 1});
    nextRva = AlignUp(nextRva + span, kSectionAlignment);
  }
  for (const ExportFixup& f : exportFixups) {
    for (size_t i = 0; i < extraSections_.size(); ++i)
      if (extraSections_[i].name == f.section) rdata.Put<uint32_t>(f.slot, extras[i].rva() + f.offset);
  }
  for (const auto& [index, value] : directories_) {
    dirs[index][0] = value.first;
    dirs[index][1] = value.second;
  }

  // File layout: headers, then each section at the file alignment.
  struct Placed {
    const char* name;
    SectionBytes* section;
    uint32_t characteristics;
    uint32_t offset;
  };
  std::vector<Placed> placed = {{".text", &text, 0x60000020, 0},
                                {".rdata", &rdata, 0x40000040, 0}};
  if (hasResources) placed.push_back({".rsrc", &rsrc, 0x40000040, 0});
  for (size_t i = 0; i < extras.size(); ++i)
    placed.push_back({extraSections_[i].name.c_str(), &extras[i], extraSections_[i].characteristics, 0});
  uint32_t fileEnd = sizeOfHeaders;
  for (Placed& p : placed) {
    p.offset = fileEnd;
    fileEnd += AlignUp(static_cast<uint32_t>(std::max<size_t>(p.section->bytes().size(), 1)),
                       kFileAlignment);
  }
  std::string& b = out.bytes;
  b.assign(fileEnd, '\0');
  Poke<uint16_t>(b, 0, 0x5A4D);
  Poke<uint32_t>(b, 0x3C, kLfanew);
  const char stub[] = "This program cannot be run in DOS mode.\r\r\n$";
  std::memcpy(b.data() + 0x4E, stub, sizeof stub - 1);

  Poke<uint32_t>(b, kLfanew, 0x00004550);
  Poke<uint16_t>(b, kLfanew + 4, w.pe64 ? 0x8664 : 0x14C);
  Poke<uint16_t>(b, kLfanew + 6, sectionCount);
  Poke<uint32_t>(b, kLfanew + 8, timeStamp_);
  Poke<uint16_t>(b, kLfanew + 20, static_cast<uint16_t>(optionalSize));
  Poke<uint16_t>(b, kLfanew + 22, characteristics_);

  const uint32_t o = layout.optionalHeader;
  uint32_t imageEnd = placed.back().section->end();
  if (!extraSections_.empty()) imageEnd = std::max(imageEnd, extras.back().rva() + extraSections_.back().virtualSize);
  const uint32_t sizeOfImage = AlignUp(imageEnd, kSectionAlignment);
  if (rom) {
    Poke<uint16_t>(b, o, 0x107);
    Poke<uint32_t>(b, o + 4, static_cast<uint32_t>(text.bytes().size()));
    Poke<uint32_t>(b, o + 16, text.rva());
    Poke<uint32_t>(b, o + 20, text.rva());
  } else {
    Poke<uint16_t>(b, o, w.pe64 ? 0x20B : 0x10B);
    Poke<uint8_t>(b, o + 2, 14);
    Poke<uint32_t>(b, o + 4, AlignUp(static_cast<uint32_t>(text.bytes().size()), kFileAlignment));
    Poke<uint32_t>(b, o + 16, text.rva());
    Poke<uint32_t>(b, o + 20, text.rva());
    if (w.pe64) {
      Poke<uint64_t>(b, o + 24, imageBase);
    } else {
      Poke<uint32_t>(b, o + 24, rdata.rva());
      Poke<uint32_t>(b, o + 28, static_cast<uint32_t>(imageBase));
    }
    Poke<uint32_t>(b, o + 32, kSectionAlignment);
    Poke<uint32_t>(b, o + 36, kFileAlignment);
    Poke<uint16_t>(b, o + 40, 6);
    Poke<uint16_t>(b, o + 48, 6);
    Poke<uint32_t>(b, o + 56, sizeOfImage);
    Poke<uint32_t>(b, o + 60, sizeOfHeaders);
    Poke<uint16_t>(b, o + 68, subsystem_);
    Poke<uint16_t>(b, o + 70, dllCharacteristics_);
    if (w.pe64) {
      Poke<uint64_t>(b, o + 72, 0x100000);
      Poke<uint64_t>(b, o + 80, 0x1000);
      Poke<uint64_t>(b, o + 88, 0x100000);
      Poke<uint64_t>(b, o + 96, 0x1000);
      Poke<uint32_t>(b, o + 108, numberOfRvaAndSizes_);
    } else {
      Poke<uint32_t>(b, o + 72, 0x100000);
      Poke<uint32_t>(b, o + 76, 0x1000);
      Poke<uint32_t>(b, o + 80, 0x100000);
      Poke<uint32_t>(b, o + 84, 0x1000);
      Poke<uint32_t>(b, o + 92, numberOfRvaAndSizes_);
    }
    for (uint32_t i = 0; i < 16; ++i) {
      Poke<uint32_t>(b, layout.dataDirectories + 8 * i, dirs[i][0]);
      Poke<uint32_t>(b, layout.dataDirectories + 8 * i + 4, dirs[i][1]);
    }
  }

  for (size_t i = 0; i < placed.size(); ++i) {
    const Placed& p = placed[i];
    uint32_t h = layout.sectionTable + 40 * static_cast<uint32_t>(i);
    std::memcpy(b.data() + h, p.name, std::min<size_t>(std::strlen(p.name), 8));
    uint32_t size = static_cast<uint32_t>(p.section->bytes().size());
    uint32_t virtualSize = std::max<uint32_t>(size, 1);
    if (i >= placed.size() - extras.size()) {
      const ExtraSection& x = extraSections_[i - (placed.size() - extras.size())];
      if (x.virtualSize) virtualSize = x.virtualSize;
    }
    Poke<uint32_t>(b, h + 8, virtualSize);
    Poke<uint32_t>(b, h + 12, p.section->rva());
    Poke<uint32_t>(b, h + 16, AlignUp(std::max<uint32_t>(size, 1), kFileAlignment));
    Poke<uint32_t>(b, h + 20, p.offset);
    Poke<uint32_t>(b, h + 36, p.characteristics);
    std::memcpy(b.data() + p.offset, p.section->bytes().data(), size);
  }

  // A ROM image still needs room for the NT headers of a PE32+ image.
  if (b.size() < kLfanew + 264) b.resize(kLfanew + 264);

  auto fileOffset = [&](uint32_t rva) -> uint32_t {
    return rva ? rva - rdata.rva() + placed[1].offset : 0;
  };
  layout.rdataRva = rdata.rva();
  layout.rdataOffset = placed[1].offset;
  if (hasResources) {
    layout.rsrcRva = rsrc.rva();
    layout.rsrcOffset = placed[2].offset;
  }
  for (size_t i = 0; i < extras.size(); ++i)
    layout.extraSections.push_back({extras[i].rva(), placed[placed.size() - extras.size() + i].offset});
  layout.importDescriptors = fileOffset(layout.importDescriptors);
  layout.delayDescriptors = fileOffset(layout.delayDescriptors);
  layout.exportDirectory = fileOffset(layout.exportDirectory);
  layout.loadConfig = fileOffset(layout.loadConfig);
  return out;
}

}  // namespace tarnix::test
