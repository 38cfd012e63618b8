#include "results/image_info_text.h"

#include "core/error_text.h"
#include "core/wformat.h"
#include "pe/file_details.h"
#include "pe/look_in.h"
#include "pe/result_kind.h"
#include "pe/version_info.h"
#include "platform/case_fold.h"
#include "platform/char_class.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "results/result_column.h"
#include "results/result_field.h"
#include "undname/undecorate.h"

namespace tarnix {
namespace {

struct KindRow {
  const wchar_t* caption;
  const wchar_t* typeTerm;
  const wchar_t* moduleLabel;
};

// Indexed by ResultKind - 1.
constexpr KindRow kKindRows[] = {
    {L"C Import From", L"Imported", L"Module From"},
    {L"C++ Import From", L"Imported", L"Module From"},
    {L"C Export From", L"Exported", L"Module From"},
    {L"C++ Export From", L"Exported", L"Module From"},
    {L"Forwarded C Export To", L"Forwarded Export", L"Module To"},
    {L"Forwarded C++ Export To", L"Forwarded Export", L"Module To"},
    {L"Delay-Load C Import From", L"Delay-Load Import", L"Module From"},
    {L"Delay-Load C++ Import From", L"Delay-Load Import", L"Module From"},
    {L"Imported Ordinal From", L"Import by an Ordinal Number", L"Module From"},
    {L"Delay-Load Imported Ordinal From", L"Delay-Load Import by an Ordinal Number", L"Module From"},
    {L"C Export Ordinal From", L"Export by an Ordinal Number", L"Module From"},
    {L"Imported Library", nullptr, L"Module From"},
    {L"Delay-Load Imported Library", nullptr, L"Module From"},
    {L"Image File", nullptr, nullptr},
};

bool IsSymbolKind(uint32_t kind) { return kind >= kKindImport && kind <= kKindExportOrdinal; }

bool IsLibraryKind(uint32_t kind) {
  return kind == kKindImportedLibrary || kind == kKindDelayImportedLibrary;
}

// "<Error: (%s) %s>" for a module that could not be resolved.
std::wstring ErrorBox(const ModuleResolver& resolver, uint32_t error) {
  return L"<Error: " + resolver.DescribeError(error) + L">";
}

std::wstring Field(int32_t column, const ResultEntry& entry) {
  std::wstring text;
  FormatResultField(column, entry, true, true, L" |\n\t\t", text);
  return text;
}

std::wstring OffsetText(std::optional<uint32_t> value) {
  return value ? WFormat(L"0x%X", *value) : std::wstring(L"?");
}

// The version block's fields, read in the user's language.
struct VersionBlock {
  uint64_t fileVersion = kVersionUnknown;
  std::wstring fileVersionText, description, product, company;
};

VersionBlock ReadVersionBlock(const std::wstring& path, uint16_t language) {
  VersionBlock v;
  FixedFileInfo fixed;
  VersionInfoRequest request;
  request.language = language;
  request.fixedInfo = &fixed;
  request.description = &v.description;
  request.product = &v.product;
  request.company = &v.company;
  request.fileVersion = &v.fileVersionText;
  if (ReadVersionInfo(path, request) < 0) {
    const uint32_t error = GetLastError();
    v = VersionBlock();
    v.description = VersionErrorText(error);
    return v;
  }
  if (request.found & kVersionFixedInfo)
    v.fileVersion = (uint64_t{fixed.fileVersionMS} << 32) | fixed.fileVersionLS;
  for (wchar_t& c : v.description)
    if (c == L'\r' || c == L'\n') c = L' ';
  return v;
}

// The name the symbol has where it was found, when the window shows it:
// the undecorated text of a C++ name, else the name of the export that
// holds it (a forwarder's target, an ordinal's name).
std::wstring ResolvedNameOf(const ImageInfoSubject& s, const SymbolLocation& loc,
                            uint32_t undecorationFlags) {
  if (IsCppKind(s.kind)) {
    const std::wstring& decorated = s.decoratedName.empty() ? s.name : s.decoratedName;
    if (std::optional<std::string> text = UndecorateLocked(ToCp1252(decorated), undecorationFlags))
      return FromCp1252(*text);
  }
  // A chain that broke: the last forwarder it followed.
  return loc.located ? loc.finalName : loc.forwardedTo;
}

ResultEntry EntryOf(const ImageInfoSubject& s) {
  ResultEntry e;
  e.result.file = s.imagePath;
  e.result.name = s.name;
  e.result.module = s.module;
  e.result.kind = s.kind;
  e.result.properties = s.properties;
  e.result.ordinal = s.ordinal;
  e.result.nameIndexOrHint = s.nameIndexOrHint;
  return e;
}

}  // namespace

ImageInfoKindLabels KindLabelsOf(uint32_t kind) {
  ImageInfoKindLabels labels;
  if (kind >= kKindImport && kind <= kKindImage) {
    const KindRow& row = kKindRows[kind - 1];
    labels.groupCaption = row.caption;
    labels.typeTerm = row.typeTerm;
    labels.moduleLabel = row.moduleLabel;
  } else {
    labels.groupCaption = WFormat(L"Unknown: 0x%X", kind);
  }
  return labels;
}

const wchar_t* AccessText(uint32_t access, bool shortForm) {
  const bool r = access & kAccessRead, w = access & kAccessWrite, x = access & kAccessExecute;
  if (r && w && x) return shortForm ? L"R/W/X" : L"Read/Write/Execute";
  if (r && x) return shortForm ? L"R/X" : L"Read/Execute";
  if (r && w) return shortForm ? L"R/W" : L"Read/Write";
  if (r) return shortForm ? L"R" : L"Read";
  if (w && x) return shortForm ? L"W/X" : L"Write/Execute";
  if (w) return shortForm ? L"W" : L"Write";
  if (x) return shortForm ? L"X" : L"Execute";
  return shortForm ? L"0" : L"None";
}

SymbolClass ClassifySymbol(uint32_t kind, std::optional<uint32_t> access) {
  const bool cpp = IsCppKind(kind);
  SymbolClass c;
  if (!access) {
    c.type = cpp ? L"C++ Function" : L"Function";
    c.titlePrefix = L"WinAPI: ";
    c.access = L"?";
    return c;
  }
  c.access = AccessText(*access, false);
  if ((*access & (kAccessRead | kAccessExecute | kAccessWrite)) == (kAccessRead | kAccessExecute)) {
    c.type = cpp ? L"C++ Function" : L"C Function";
    c.titlePrefix = L"WinAPI: ";
  } else {
    c.type = cpp ? L"Global C++ Variable" : L"Global C Variable";
    c.titlePrefix = WFormat(L"Global (%ls): ", AccessText(*access, true));
  }
  return c;
}

BitnessLabel BitnessLabelOf(uint32_t imageType) {
  switch (imageType) {
    case kImageType32: return {L"32-bit", kBitness32Colour};
    case kImageType64: return {L"64-bit", kBitness64Colour};
    case kImageTypeRom: return {L"ROM", std::nullopt};
    default: return {};
  }
}

ImageInfoSubject ImageInfoSubjectOf(const ResultEntry& entry, uint32_t searchFor) {
  ImageInfoSubject s;
  s.imagePath = entry.result.file;
  s.name = entry.result.name;
  s.decoratedName = entry.decoratedName;
  s.module = entry.result.module;
  s.kind = entry.result.kind;
  s.properties = entry.result.properties;
  s.ordinal = entry.result.ordinal;
  s.nameIndexOrHint = entry.result.nameIndexOrHint;
  s.searchFor = searchFor;
  return s;
}

ImageInfoContent BuildImageInfo(const ImageInfoSubject& s, const ModuleResolver& resolver,
                                const ImageInfoOptions& options) {
  ImageInfoContent c;
  c.labels = KindLabelsOf(s.kind);
  c.imagePath = s.imagePath;
  c.moduleName = s.module;
  c.bitness = BitnessLabelOf(s.properties.imageType);
  const ResultEntry entry = EntryOf(s);
  std::wstring text;

  // A search for imported libraries lists modules only, whatever the kind says.
  const bool library = IsLibraryKind(s.kind) || s.searchFor == kSearchForImportLibs;
  if (IsSymbolKind(s.kind) && !library) {
    SymbolQuery query;
    query.imagePath = s.imagePath;
    query.imageType = s.properties.imageType;
    query.kind = s.kind;
    query.module = s.module;
    query.name = s.decoratedName.empty() ? s.name : s.decoratedName;
    query.ordinal = s.ordinal;
    const SymbolLocation& loc = c.location = LocateSymbol(resolver, query);

    // "Resolves To" is the file the module name resolves to, as
    // `tarnix-cli info --resolve` answers; when the symbol's forwarders
    // lead to another file, that file is said apart ("Found In"). A
    // forwarded export's module is where its forwarders lead: when they
    // break off, that is what cannot be resolved, and why is said.
    const bool forwarded = s.kind == kKindExportForwarded || s.kind == kKindExportForwardedCpp;
    if (forwarded) {
      if (loc.located) c.resolvedPath = loc.symbolPath;
    } else if (loc.moduleResolved) {
      c.resolvedPath = loc.modulePath;
    }
    const bool foundElsewhere = !forwarded && loc.located && loc.forwards > 0 && loc.symbolPath != c.resolvedPath;
    const uint32_t resolveError = loc.moduleResolved ? loc.locateError : loc.moduleError;
    c.resolvesTo = c.resolvedPath.empty() ? ErrorBox(resolver, resolveError) : c.resolvedPath;

    const SymbolClass cls = ClassifySymbol(s.kind, loc.located ? loc.access : std::nullopt);
    c.title = cls.titlePrefix + s.name;

    const std::wstring resolvedName = ResolvedNameOf(s, loc, options.undecorationFlags);
    std::wstring nameLine;
    if (!resolvedName.empty() && !EqualsIgnoreCase(resolvedName, s.name)) {
      const wchar_t* format = IsCppKind(s.kind) ? L"Undecorated:\t%ls\n"
                              : s.kind == kKindExportForwarded || foundElsewhere ? L"Forwarded To:\t%ls\n"
                                                                                 : L"Alternate:\t%ls\n";
      nameLine = WFormat(format, resolvedName.c_str());
    }
    text += WFormat(
        L"%ls\nType:\t\t%ls%ls\n%ls%ls%lsAccess:\t\t%ls\n", s.name.c_str(), cls.type.c_str(),
        c.labels.typeTerm ? WFormat(L" (%ls)", c.labels.typeTerm).c_str() : L"",
        s.ordinal != 0 ? WFormat(L"Ordinal:\t\t%u\n", s.ordinal).c_str() : L"",
        s.nameIndexOrHint != -1
            ? WFormat(L"Hint:\t\t%u\n", static_cast<uint32_t>(s.nameIndexOrHint)).c_str()
            : L"",
        nameLine.c_str(), cls.access.c_str());

    std::wstring resolved;
    if (!c.resolvedPath.empty())
      resolved = WFormat(L"Resolves To:\t%ls\nDescription:\t%ls\n", c.resolvedPath.c_str(),
                         ReadFileDetails(c.resolvedPath, options.language).description.c_str());
    else if (forwarded)
      resolved = WFormat(L"Resolves To:\t%ls\n", c.resolvesTo.c_str());
    text += WFormat(L"%ls:\t%ls\n%ls", c.labels.moduleLabel, s.module.c_str(), resolved.c_str());
    // The offsets below are those of the file the forwarders led to.
    if (foundElsewhere) text += WFormat(L"Found In:\t%ls\n", loc.symbolPath.c_str());
    if (loc.located)
      text += WFormat(L"Offset (File):\t%ls\nOffset (Mapped):\t%ls\n",
                      OffsetText(loc.fileOffset).c_str(), OffsetText(loc.rva).c_str());
    text += L"\n";
  } else if (library) {
    c.title = WFormat(L"Import Lib: %ls", s.module.c_str());
    // Not part of the text, but the window's "Resolves To" box and its
    // module menu still want the file.
    if (resolver.Resolve(s.imagePath, s.properties.imageType, s.module, c.resolvedPath))
      c.resolvesTo = c.resolvedPath;
    else
      c.resolvesTo = ErrorBox(resolver, GetLastError());
    text += WFormat(L"%ls\nType:\t\t%ls\n\n", s.module.c_str(), c.labels.groupCaption.c_str());
  } else {
    // A whole image: named after its file.
    c.title = WFormat(L"%ls: %ls", c.labels.groupCaption.c_str(),
                      std::wstring(ImageNameOf(s.imagePath)).c_str());
  }

  text += WFormat(
      L"Image File:\t%ls\nType:\t\t%ls\nBinding:\t\t%ls\nBuild Time:\t%ls\nUnix TimeStamp:\t0x%08X "
      L"(%u)\nSubsystem:\t%ls\n\n",
      s.imagePath.c_str(), Field(kColType, entry).c_str(), Field(kColBinding, entry).c_str(),
      Field(kColBuildTime, entry).c_str(), s.properties.timeStamp, s.properties.timeStamp,
      Field(kColSubsystem, entry).c_str());

  const VersionBlock version = ReadVersionBlock(s.imagePath, options.language);
  c.fileVersion = version.fileVersion;
  text += WFormat(
      L"Version:\t\t%ls\nVersion (Full):\t%ls\nDescription:\t%ls\nProduct:\t\t%ls\nCompany:\t%ls\n\n",
      FileVersionText(version.fileVersion).c_str(), version.fileVersionText.c_str(),
      version.description.c_str(), version.product.c_str(), version.company.c_str());

  text += WFormat(L"PE Characteristics:\t%ls\n\nPE Directories:\t%ls\n\nPE Resources:\t%ls\n\n",
                  Field(kColCharacteristics, entry).c_str(),
                  Field(kColDirectories, entry).c_str(), Field(kColResources, entry).c_str());
  c.text = TrimWhiteSpace(text);
  return c;
}

}  // namespace tarnix
