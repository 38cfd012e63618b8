#include "undname/demangler.h"

#include <array>
#include <cstring>

#include "undname/text_arena.h"
#include "undname/undecorate.h"

namespace tarnix::undname {
namespace {

using Str = std::string_view;

// A type prints as `left` + declarator + `right`: the declarator (a variable
// name, or nothing) goes between, which is how "int (* x)[3]" and
// "void (__cdecl*)(int)" come out.
struct Type {
  Str left;
  Str right;
  bool function_pointer = false;  // left ends in "(cc*": no blank before what follows
  bool value_cv = false;          // a cv-qualified value type ("?B" form)
  bool is_void = false;
  bool is_ellipsis = false;
};

// Back-reference tables: ten names and ten argument types per scope.
struct NameTable {
  std::array<Str, 10> items{};
  int count = 0;
};
struct TypeTable {
  std::array<Type, 10> items{};
  int count = 0;
};

// The pieces of a function type, printed differently by each user.
struct FunctionParts {
  Str quals, cc, args, thrown;
  Type ret;
};

bool IsNameChar(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$' || c == '<' || c == '>' || c == '-' || c >= 0x80;
}

class Demangler {
 public:
  Demangler(Str input, uint32_t flags)
      : in_(input), flags_(flags), arena_(kMaxScratchBytes, kMaxOutputLength) {}

  DemangleResult Run();

 private:
  // Input reading. Peek answers '\0' past the end.
  char Peek(std::size_t k = 0) const { return pos_ + k < in_.size() ? in_[pos_ + k] : '\0'; }
  bool AtEnd() const { return pos_ >= in_.size(); }
  bool Eat(char c) {
    if (Peek() != c || AtEnd()) return false;
    ++pos_;
    return true;
  }
  char Get() { return AtEnd() ? '\0' : in_[pos_++]; }
  bool Has(uint32_t flag) const { return (flags_ & flag) != 0; }

  Str Join(std::initializer_list<Str> parts) { return arena_.Join(parts); }
  Str Keyword(Str word) const;  // "__cdecl" as the flags want it

  // Grammar.
  bool Symbol(Str& out);       // at '?'
  bool SymbolBody(Str& out);   // after the leading '?'
  bool Operator(Str& name, int& kind, bool& done, Str& out);
  bool QualifiedName(Str& out, Str* innermost, bool allow_empty = false);
  bool NamePiece(Str& out, bool memorize_template);
  bool SimpleName(Str& out);
  bool TemplateName(Str& out);
  bool TemplateArgs(Str& out);
  bool TemplateArg(Str& out, bool& empty);
  bool TemplateValue(char code, Str& out, bool& empty);
  bool NumberValue(bool& negative, uint64_t& value);
  bool Number(Str& out);
  Str Decimal(uint64_t value, bool negative);
  bool Datatype(Type& t, bool in_args);
  bool DollarType(Type& t, bool in_args);
  bool PointerType(Type& t, char kind, bool in_args);
  bool ArrayDims(Str& out);
  bool FunctionType(FunctionParts& f, bool member);
  bool CallingConvention(char c, bool for_type, Str& out);
  bool ThisQualifiers(Str& out);
  bool StorageModifier(Str& out);
  bool ArgList(Str& out);
  bool ThrowSpec(Str& out);
  bool Method(Str name, int kind, Str& out);
  bool Data(Str name, int kind, Str& out);
  bool StringLiteral(Str& out);
  bool CharLiteral(uint8_t& out);
  void Memorize(Str name);
  void MemorizeAt(Str name, int at);
  void MemorizeType(const Type& t);

  struct DepthGuard {
    explicit DepthGuard(Demangler& d) : d_(d) { ++d_.depth_; }
    ~DepthGuard() { --d_.depth_; }
    bool ok() const { return d_.depth_ <= kMaxNestingDepth; }
    Demangler& d_;
  };

  Str in_;
  std::size_t pos_ = 0;
  uint32_t flags_;
  TextArena arena_;
  int depth_ = 0;
  int symbol_depth_ = 0;  // 1 while reading the outermost symbol
  NameTable names_;
  TypeTable args_;
  bool not_decorated_ = false;
};

// Kinds of the special function names that change how the rest prints.
// kScopeRead: the name came with its scope (an older dynamic initialiser form).
enum Kind { kScopeRead = -1, kPlain = 0, kCtor, kDtor, kCast, kVcall, kGuard };

Str Demangler::Keyword(Str word) const {
  if (Has(UNDNAME_NO_MS_KEYWORDS)) return {};
  if (Has(UNDNAME_NO_LEADING_UNDERSCORES) && word.size() > 2 && word[0] == '_' && word[1] == '_')
    return word.substr(2);
  return word;
}

void Demangler::Memorize(Str name) {
  if (names_.count >= 10) return;
  for (int i = 0; i < names_.count; ++i)
    if (names_.items[i] == name) return;
  names_.items[names_.count++] = name;
}

// Remembers `name` as if it had been remembered when the table held `at`
// entries: later entries move up one place.
void Demangler::MemorizeAt(Str name, int at) {
  if (at >= 10 || at > names_.count) return;
  for (int i = 0; i < at; ++i)
    if (names_.items[i] == name) return;
  const int last = names_.count < 10 ? names_.count : 9;
  for (int i = last; i > at; --i) names_.items[i] = names_.items[i - 1];
  names_.items[at] = name;
  if (names_.count < 10) ++names_.count;
}

void Demangler::MemorizeType(const Type& t) {
  if (args_.count < 10) args_.items[args_.count++] = t;
}

Str Demangler::Decimal(uint64_t value, bool negative) {
  char buf[24];
  char* p = buf + sizeof buf;
  do {
    *--p = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value);
  if (negative) *--p = '-';
  return arena_.Copy(Str(p, static_cast<std::size_t>(buf + sizeof buf - p)));
}

// Numbers: '0'..'9' stand for 1..10; otherwise hex digits written 'A'..'P'
// and closed by '@'; a leading '?' makes the number negative.
bool Demangler::NumberValue(bool& negative, uint64_t& value) {
  negative = Eat('?');
  char c = Peek();
  if (c >= '0' && c <= '9') {
    ++pos_;
    value = static_cast<uint64_t>(c - '0') + 1;
    return true;
  }
  value = 0;
  int digits = 0;
  while (Peek() >= 'A' && Peek() <= 'P' && !AtEnd()) {
    if (++digits > 16) return false;
    value = value * 16 + static_cast<uint64_t>(Get() - 'A');
  }
  return Eat('@');
}

bool Demangler::Number(Str& out) {
  bool negative = false;
  uint64_t value = 0;
  if (!NumberValue(negative, value)) return false;
  out = Decimal(value, negative);
  return true;
}

bool Demangler::SimpleName(Str& out) {
  const std::size_t start = pos_;
  while (!AtEnd() && in_[pos_] != '@') {
    const auto c = static_cast<unsigned char>(in_[pos_]);
    if (!IsNameChar(c)) {
      // Punctuation no decoration uses ("aa.a"): not a decorated name.
      not_decorated_ = c > ' ' && c < 0x7F && c != '?';
      return false;
    }
    ++pos_;
  }
  if (AtEnd() || pos_ == start) return false;
  out = in_.substr(start, pos_ - start);
  ++pos_;
  return true;
}

// One component of a qualified name.
bool Demangler::NamePiece(Str& out, bool memorize_template) {
  const char c = Peek();
  if (c >= '0' && c <= '9') {
    const int index = c - '0';
    if (index >= names_.count) return false;
    ++pos_;
    out = names_.items[index];
    return true;
  }
  if (c != '?') {
    if (!SimpleName(out)) return false;
    Memorize(out);
    return true;
  }
  const char c1 = Peek(1);
  if (c1 == '$') {
    pos_ += 2;
    if (!TemplateName(out)) return false;
    if (memorize_template) Memorize(out);
    return true;
  }
  if (c1 == '?') {  // a scope that is itself a symbol: a function's locals
    ++pos_;
    const uint32_t saved_flags = flags_;
    Str inner;
    const bool ok = Symbol(inner);
    flags_ = saved_flags;
    if (!ok) return false;
    out = Join({"`", inner, "'"});
    return true;
  }
  if (c1 == 'A') {  // anonymous namespace, named by a key up to '@'
    pos_ += 2;
    while (!AtEnd() && Peek() != '@') ++pos_;
    if (!Eat('@')) return false;
    out = "`anonymous namespace'";
    Memorize(out);
    return true;
  }
  ++pos_;
  Str n;
  if (!Number(n)) return false;
  out = Join({"`", n, "'"});
  return true;
}

// Components up to '@', innermost first; printed outermost first. Only the
// scope of a symbol may be empty (a global name).
bool Demangler::QualifiedName(Str& out, Str* innermost, bool allow_empty) {
  DepthGuard guard(*this);
  if (!guard.ok()) return false;
  Str acc;
  bool first = true;
  for (;;) {
    if (AtEnd()) return false;
    if (Eat('@')) break;
    Str piece;
    if (!NamePiece(piece, true)) return false;
    if (first && innermost) *innermost = piece;
    acc = first ? piece : Join({piece, "::", acc});
    first = false;
  }
  if (first && !allow_empty) return false;
  out = acc;
  return !arena_.exhausted();
}

// After "?$": a name with its argument list, read in a scope of its own.
bool Demangler::TemplateName(Str& out) {
  DepthGuard guard(*this);
  if (!guard.ok()) return false;
  const NameTable saved_names = names_;
  const TypeTable saved_args = args_;
  names_ = NameTable{};
  args_ = TypeTable{};
  Str base;
  bool ok;
  if (Peek() == '?') {
    ++pos_;
    int kind = kPlain;
    bool done = false;
    Str unused;
    ok = Operator(base, kind, done, unused) && !done && kind == kPlain;
  } else {
    ok = SimpleName(base);
    if (ok) Memorize(base);
  }
  Str args;
  ok = ok && TemplateArgs(args);
  names_ = saved_names;
  args_ = saved_args;
  if (!ok) return false;
  out = Join({base, args});
  return !arena_.exhausted();
}

bool Demangler::TemplateArgs(Str& out) {
  Str acc;
  bool any = false;
  for (;;) {
    if (AtEnd() || Eat('@')) break;
    Str arg;
    bool empty = false;
    if (!TemplateArg(arg, empty)) return false;
    if (empty) continue;
    acc = any ? Join({acc, ",", arg}) : arg;
    any = true;
  }
  const bool nested = !acc.empty() && acc.back() == '>';
  out = Join({"<", acc, nested ? " >" : ">"});
  return !arena_.exhausted();
}

bool Demangler::TemplateArg(Str& out, bool& empty) {
  DepthGuard guard(*this);
  if (!guard.ok()) return false;
  empty = false;
  if (Peek() == '$' && Peek(1) != '$') {
    ++pos_;
    return TemplateValue(Get(), out, empty);
  }
  if (Peek() == '$' && Peek(1) == '$') {
    if (Peek(2) == 'V' || Peek(2) == 'Z') {
      pos_ += 3;
      empty = true;
      return true;
    }
    if (Peek(2) == '$' && Peek(3) == 'V') {
      pos_ += 4;
      empty = true;
      return true;
    }
    if (Peek(2) == 'Y') {  // alias template
      pos_ += 3;
      return QualifiedName(out, nullptr);
    }
  } else if (Peek() == '?' && Peek(1) != '<') {
    ++pos_;
    Str n;
    if (!Number(n)) return false;
    out = Join({"`template-parameter-", n, "'"});
    return !arena_.exhausted();
  }
  Type t;
  if (!Datatype(t, true)) return false;
  out = Join({t.left, t.right});
  return true;
}

// Non-type template arguments, after '$'.
bool Demangler::TemplateValue(char code, Str& out, bool& empty) {
  DepthGuard guard(*this);
  if (!guard.ok()) return false;
  switch (code) {
    case '0':
      return Number(out);
    case '1':
    case 'E': {
      if (Eat('@')) {
        out = "NULL";
        return true;
      }
      Str sym;
      if (!Symbol(sym)) return false;
      out = code == '1' ? Join({"&", sym}) : sym;
      return !arena_.exhausted();
    }
    case 'D':
    case 'Q': {
      Str n;
      if (!Number(n)) return false;
      out = Join({code == 'D' ? "`template-parameter" : "`non-type-template-parameter", n, "'"});
      return !arena_.exhausted();
    }
    case 'F':
    case 'G': {
      Str a, b, c;
      if (!Number(a) || !Number(b)) return false;
      if (code == 'G' && !Number(c)) return false;
      out = code == 'F' ? Join({"{", a, ",", b, "}"}) : Join({"{", a, ",", b, ",", c, "}"});
      return !arena_.exhausted();
    }
    case 'H':
    case 'I':
    case 'J': {
      // Member pointers: an optional symbol, then one to three offsets.
      Str acc;
      if (Peek() == '?') {
        if (!Symbol(acc)) return false;
      }
      const int count = code == 'H' ? 1 : code == 'I' ? 2 : 3;
      for (int i = 0; i < count; ++i) {
        Str n;
        if (!Number(n)) return false;
        acc = acc.empty() ? n : Join({acc, ",", n});
      }
      out = Join({"{", acc, "}"});
      return !arena_.exhausted();
    }
    case 'M': {  // auto non-type argument: its type, then the value
      Type ignored;
      const TypeTable saved = args_;
      if (!Datatype(ignored, false)) return false;
      args_ = saved;
      return TemplateValue(Get(), out, empty);
    }
    case 'S':
      empty = true;
      return true;
    default:
      return false;
  }
}

bool Demangler::CallingConvention(char c, bool for_type, Str& out) {
  Str name;
  switch (c) {
    case 'A': case 'B': name = "__cdecl"; break;
    case 'C': case 'D': name = "__pascal"; break;
    case 'E': case 'F': name = "__thiscall"; break;
    case 'G': case 'H': name = "__stdcall"; break;
    case 'I': case 'J': name = "__fastcall"; break;
    case 'K': case 'L': name = {}; break;
    case 'M': case 'N': name = "__clrcall"; break;
    case 'O': case 'P': name = "__eabi"; break;
    case 'Q': name = "__vectorcall"; break;
    case 'S': name = "__attribute__((__swiftcall__))"; break;
    case 'W': name = "__attribute__((__swiftasynccall__))"; break;
    default: return false;
  }
  out = (!for_type && Has(UNDNAME_NO_ALLOCATION_LANGUAGE)) || name.empty() ? Str{} : Keyword(name);
  return true;
}

// The qualifiers of a member function's `this`: "const", "volatile
// __unaligned ", " __ptr64" and so on, as the platform spaces them.
bool Demangler::ThisQualifiers(Str& out) {
  bool ptr64 = false, unaligned = false, restrict_ = false;
  Str ref;
  for (;;) {
    const char c = Peek();
    if (c == 'E') ptr64 = true;
    else if (c == 'F') unaligned = true;
    else if (c == 'I') restrict_ = true;
    else if (c == 'G') ref = "&";
    else if (c == 'H') ref = "&&";
    else break;
    ++pos_;
  }
  Str cv;
  switch (Get()) {
    case 'A': break;
    case 'B': cv = "const"; break;
    case 'C': cv = "volatile"; break;
    case 'D': cv = "const volatile"; break;
    default: return false;
  }
  if (Has(UNDNAME_NO_CV_THISTYPE)) cv = ref = {};
  if (Has(UNDNAME_NO_MS_THISTYPE)) ptr64 = unaligned = restrict_ = false;
  const Str p64 = ptr64 ? Keyword("__ptr64") : Str{};
  const Str ua = unaligned ? Keyword("__unaligned") : Str{};
  const Str rs = restrict_ ? Keyword("__restrict") : Str{};
  if (cv.empty() && p64.empty() && ua.empty() && rs.empty()) {
    out = ref.empty() ? Str{} : Join({" ", ref});
  } else {
    out = Join({cv, ua.empty() ? "" : " ", ua, rs.empty() ? "" : " ", rs, " ", p64,
                ref.empty() ? "" : (p64.empty() ? "" : " "), ref});
  }
  return !arena_.exhausted();
}

// The storage class of data: cv, __ptr64 and friends, member and based
// forms. "const", "const __ptr64", "__ptr64".
bool Demangler::StorageModifier(Str& out) {
  bool ptr64 = false, unaligned = false, restrict_ = false;
  for (;;) {
    const char c = Peek();
    if (c == 'E') ptr64 = true;
    else if (c == 'F') unaligned = true;
    else if (c == 'I') restrict_ = true;
    else break;
    ++pos_;
  }
  Str cv;
  const char c = Get();
  switch (c) {
    case 'A': case 'Q': case 'M': case 'U': break;
    case 'B': case 'R': case 'N': case 'V': cv = "const"; break;
    case 'C': case 'S': case 'O': case 'W': cv = "volatile"; break;
    case 'D': case 'T': case 'P': case 'X': cv = "const volatile"; break;
    default: return false;
  }
  if (c >= 'Q' && c <= 'T') {  // member: the class, which is not printed here
    Str cls;
    if (!QualifiedName(cls, nullptr)) return false;
  }
  Str based;
  if ((c >= 'M' && c <= 'P') || (c >= 'U' && c <= 'X')) {
    if (c >= 'U') {
      Str cls;
      if (!QualifiedName(cls, nullptr)) return false;
    }
    const char b = Get();
    if (b == '0') based = Join({Keyword("__based"), "(void)"});
    else if (b == '2') {
      Str n;
      if (!QualifiedName(n, nullptr)) return false;
      based = Join({Keyword("__based"), "(", n, ")"});
    } else if (b != '5') return false;
    if (Has(UNDNAME_NO_MS_KEYWORDS)) based = {};
  }
  const Str p64 = ptr64 ? Keyword("__ptr64") : Str{};
  const Str ua = unaligned ? Keyword("__unaligned") : Str{};
  const Str rs = restrict_ ? Keyword("__restrict") : Str{};
  Str acc = based;
  for (Str part : {cv, ua, rs, p64}) {
    if (part.empty()) continue;
    acc = acc.empty() ? part : Join({acc, " ", part});
  }
  out = acc;
  return !arena_.exhausted();
}

bool Demangler::ArrayDims(Str& out) {
  bool negative = false;
  uint64_t count = 0;
  if (!NumberValue(negative, count) || negative) return false;
  Str acc;
  for (uint64_t i = 0; i < count; ++i) {
    Str n;
    if (!Number(n)) return false;
    acc = Join({acc, "[", n, "]"});
    if (arena_.exhausted()) return false;
  }
  out = acc;
  return true;
}

// A function type after its pointer: calling convention, return type and
// arguments. Member function types start with the qualifiers of `this`.
bool Demangler::FunctionType(FunctionParts& f, bool member) {
  if (member && !ThisQualifiers(f.quals)) return false;
  if (!CallingConvention(Get(), true, f.cc)) return false;
  if (Eat('@')) f.ret.left = "void";
  else if (!Datatype(f.ret, false)) return false;
  if (!ArgList(f.args) || !ThrowSpec(f.thrown)) return false;
  return !arena_.exhausted();
}

// Pointers and references: 'A' &, 'B' & volatile, 'P' *, 'Q' * const,
// 'R' * volatile, 'S' * const volatile, 'q'/'r' for && and && volatile.
bool Demangler::PointerType(Type& t, char kind, bool in_args) {
  bool ptr64 = false, unaligned = false, restrict_ = false, managed = false;
  for (;;) {
    const char c = Peek();
    if (c == 'E') ptr64 = true;
    else if (c == 'F') unaligned = true;
    else if (c == 'I') restrict_ = true;
    else if (c == '$' && Peek(1) == 'A') { managed = true; ++pos_; }
    else if (c == '$' && Peek(1) == 'C') { managed = true; ++pos_; }
    else break;
    ++pos_;
  }
  const bool reference = kind == 'A' || kind == 'B' || kind == 'q' || kind == 'r';
  Str sym = kind == 'q' || kind == 'r' ? "&&" : reference ? (managed ? "%" : "&") : (managed ? "^" : "*");
  Str own_cv;
  switch (kind) {
    case 'B': case 'R': case 'r': own_cv = "volatile"; break;
    case 'Q': own_cv = "const"; break;
    case 'S': own_cv = "const volatile"; break;
    default: break;
  }
  if (!in_args && (kind == 'Q' || kind == 'R' || kind == 'S')) own_cv = {};
  const Str p64 = ptr64 ? Keyword("__ptr64") : Str{};
  const Str rs = restrict_ ? Keyword("__restrict") : Str{};

  // Function pointers and references: "(__cdecl*const)".
  if (Peek() == '6' || Peek() == '7') {
    ++pos_;
    FunctionParts f;
    if (!FunctionType(f, false)) return false;
    t.left = Join({f.ret.left, " (", f.cc, sym, own_cv, p64.empty() ? "" : " ", p64});
    t.right = Join({")", f.args, f.thrown, f.ret.right});
    t.function_pointer = true;
    return !arena_.exhausted();
  }
  if (Peek() == '8' || Peek() == '9') {
    ++pos_;
    Str cls;
    if (!QualifiedName(cls, nullptr)) return false;
    FunctionParts f;
    if (!FunctionType(f, true)) return false;
    t.left = Join({f.ret.left, " (", f.cc, f.cc.empty() ? "" : " ", cls, "::", sym, own_cv.empty() ? "" : " ",
                   own_cv, p64.empty() ? "" : " ", p64});
    t.right = Join({")", f.args, f.quals, f.thrown, f.ret.right});
    return !arena_.exhausted();
  }

  // The pointee's qualifiers.
  Str cv, member_class, based;
  const char m = Get();
  switch (m) {
    case 'A': case 'Q': case 'M': case 'U': break;
    case 'B': case 'R': case 'N': case 'V': cv = "const"; break;
    case 'C': case 'S': case 'O': case 'W': cv = "volatile"; break;
    case 'D': case 'T': case 'P': case 'X': cv = "const volatile"; break;
    default: return false;
  }
  if ((m >= 'Q' && m <= 'T') || (m >= 'U' && m <= 'X')) {
    if (!QualifiedName(member_class, nullptr)) return false;
  }
  if ((m >= 'M' && m <= 'P') || (m >= 'U' && m <= 'X')) {
    const char b = Get();
    if (b == '0') based = Join({Keyword("__based"), "(void)"});
    else if (b == '2') {
      Str n;
      if (!QualifiedName(n, nullptr)) return false;
      based = Join({Keyword("__based"), "(", n, ")"});
    } else if (b != '5') return false;
    if (Has(UNDNAME_NO_MS_KEYWORDS)) based = {};
  }
  if (unaligned) {
    const Str ua = Keyword("__unaligned");
    if (!ua.empty()) cv = cv.empty() ? ua : Join({cv, " ", ua});
  }
  if (!based.empty()) cv = cv.empty() ? based : Join({cv, " ", based});

  Str dims;
  if (Eat('Y')) {
    if (!ArrayDims(dims)) return false;
  }
  Type sub;
  if (!Datatype(sub, false)) return false;

  // What follows the pointee: " * __ptr64 __restrict const".
  Str suffix = Join({sym, p64.empty() ? "" : " ", p64, own_cv.empty() ? "" : " ", own_cv,
                     rs.empty() ? "" : " ", rs});
  if (!member_class.empty()) suffix = Join({member_class, "::", suffix});
  if (!dims.empty()) {
    t.left = Join({sub.left, sub.function_pointer ? "" : " ", "(", cv, cv.empty() ? "" : " ", suffix});
    t.right = Join({")", dims, sub.right});
  } else {
    if (!cv.empty()) {
      t.left = Join({sub.left, " ", cv, " ", suffix});
    } else if (!in_args && sub.function_pointer && member_class.empty() && suffix[0] == '*') {
      t.left = Join({sub.left, suffix});
    } else {
      t.left = Join({sub.left, " ", suffix});
    }
    t.right = sub.right;
  }
  return !arena_.exhausted();
}

bool Demangler::DollarType(Type& t, bool in_args) {
  // At '$'. Non-type template arguments may also stand where a type does.
  if (Peek(1) != '$') {
    ++pos_;
    bool empty = false;
    return TemplateValue(Get(), t.left, empty);
  }
  pos_ += 2;
  const char c = Get();
  switch (c) {
    case 'A': {  // function type, as in template arguments: "int __cdecl(void) const"
      const char k = Get();
      FunctionParts f;
      if (k == '6') {
        if (!FunctionType(f, false)) return false;
      } else if (k == '8') {
        if (!Eat('@') || !Eat('@') || !FunctionType(f, true)) return false;
      } else {
        return false;
      }
      t.left = Join({f.ret.left, f.ret.right, f.cc.empty() ? "" : " ", f.cc});
      t.right = Join({f.args, f.quals, f.thrown});
      return !arena_.exhausted();
    }
    case 'B': {  // array
      Str dims;
      if (Eat('Y')) {
        if (!ArrayDims(dims)) return false;
      }
      // The element keeps its own top-level cv: nothing outside carries it.
      Type sub;
      const int remembered = args_.count;
      if (!Datatype(sub, true)) return false;
      args_.count = remembered;
      t.left = dims.empty() ? sub.left : Join({sub.left, " ", dims});
      t.right = sub.right;
      return !arena_.exhausted();
    }
    case 'C': {  // cv-qualified type
      Str cv;
      while (Peek() == 'E' || Peek() == 'F' || Peek() == 'I') ++pos_;  // pointer-only qualifiers
      switch (Get()) {
        case 'A': break;
        case 'B': cv = "const"; break;
        case 'C': cv = "volatile"; break;
        case 'D': cv = "const volatile"; break;
        default: return false;
      }
      if (!Datatype(t, in_args)) return false;
      if (!cv.empty()) t.left = Join({t.left, " ", cv});
      return !arena_.exhausted();
    }
    case 'Q':
      return PointerType(t, 'q', in_args);
    case 'R':
      return PointerType(t, 'r', in_args);
    case 'T':
      t.left = "std::nullptr_t";
      return true;
    default:
      return false;
  }
}

bool Demangler::Datatype(Type& t, bool in_args) {
  DepthGuard guard(*this);
  if (!guard.ok()) return false;
  const std::size_t start = pos_;
  bool memorable = true;
  const char c = Get();
  switch (c) {
    case 'C': t.left = "signed char"; break;
    case 'D': t.left = "char"; break;
    case 'E': t.left = "unsigned char"; break;
    case 'F': t.left = "short"; break;
    case 'G': t.left = "unsigned short"; break;
    case 'H': t.left = "int"; break;
    case 'I': t.left = "unsigned int"; break;
    case 'J': t.left = "long"; break;
    case 'K': t.left = "unsigned long"; break;
    case 'M': t.left = "float"; break;
    case 'N': t.left = "double"; break;
    case 'O': t.left = "long double"; break;
    case 'X': t.left = "void"; t.is_void = true; break;
    case 'Z': t.left = "..."; t.is_ellipsis = true; break;
    case '_':
      switch (Get()) {
        case 'D': t.left = "__int8"; break;
        case 'E': t.left = "unsigned __int8"; break;
        case 'F': t.left = "__int16"; break;
        case 'G': t.left = "unsigned __int16"; break;
        case 'H': t.left = "__int32"; break;
        case 'I': t.left = "unsigned __int32"; break;
        case 'J': t.left = "__int64"; break;
        case 'K': t.left = "unsigned __int64"; break;
        case 'L': t.left = "__int128"; break;
        case 'M': t.left = "unsigned __int128"; break;
        case 'N': t.left = "bool"; break;
        case 'P': t.left = "auto"; break;
        case 'Q': t.left = "char8_t"; break;
        case 'S': t.left = "char16_t"; break;
        case 'T': t.left = "decltype(auto)"; break;
        case 'U': t.left = "char32_t"; break;
        case 'W': t.left = "wchar_t"; break;
        default: return false;
      }
      break;
    case 'Y': {  // array: dimensions, then the element type
      Str dims;
      Type element;
      if (!ArrayDims(dims) || !Datatype(element, false)) return false;
      t.left = element.left;
      t.right = Join({dims, element.right});
      break;
    }
    case 'T':
    case 'U':
    case 'V': {
      Str name;
      if (!QualifiedName(name, nullptr)) return false;
      Str tag = c == 'T' ? "union " : c == 'U' ? "struct " : "class ";
      if (Has(UNDNAME_NAME_ONLY)) tag = {};
      t.left = Join({tag, name});
      break;
    }
    case 'W': {
      const char u = Get();
      static constexpr const char* kEnumBase[] = {"enum char ",  "enum unsigned char ",
                                                   "enum short ", "enum unsigned short ",
                                                   "enum ",       "enum unsigned int ",
                                                   "enum long ",  "enum unsigned long "};
      if (u < '0' || u > '7') return false;
      Str name;
      if (!QualifiedName(name, nullptr)) return false;
      t.left = Has(UNDNAME_NAME_ONLY) ? name : Join({kEnumBase[u - '0'], name});
      break;
    }
    case 'A':
    case 'B':
    case 'P':
    case 'Q':
    case 'R':
    case 'S':
      if (!PointerType(t, c, in_args)) return false;
      break;
    case '?':
      if (in_args && Peek() != '<') {
        Str n;
        if (!Number(n)) return false;
        t.left = Join({"`template-parameter-", n, "'"});
        break;
      }
      if (Peek() == '<' || (Peek() >= '0' && Peek() <= '9')) {  // a compiler-named type such as <auto>
        Str name;
        if (!NamePiece(name, true) || !Eat('@')) return false;
        t.left = name;
        break;
      }
      {
        // A cv-qualified value, as in return types: "?B" const.
        while (Peek() == 'E' || Peek() == 'F' || Peek() == 'I') ++pos_;
        Str cv;
        switch (Get()) {
          case 'A': break;
          case 'B': cv = "const"; break;
          case 'C': cv = "volatile"; break;
          case 'D': cv = "const volatile"; break;
          default: return false;
        }
        Type sub;
        if (!Datatype(sub, false)) return false;
        t = sub;
        if (!cv.empty()) {
          t.left = Join({sub.left, " ", cv});
          t.value_cv = true;
        }
      }
      break;
    case '$':
      --pos_;
      if (!DollarType(t, in_args)) return false;
      break;
    default:
      if (c >= '0' && c <= '9') {
        const int index = c - '0';
        if (index >= args_.count) return false;
        t = args_.items[index];
        memorable = false;
        break;
      }
      return false;
  }
  if (arena_.exhausted()) return false;
  if (in_args && memorable && pos_ - start > 1) MemorizeType(t);
  return true;
}

// Function arguments, ended by '@' or by void / "...", then the throw
// specification.
bool Demangler::ArgList(Str& out) {
  Str acc;
  int count = 0;
  for (;;) {
    if (AtEnd()) return false;
    if (Eat('@')) break;
    Type t;
    if (!Datatype(t, true)) return false;
    if (t.is_void && count == 0) {
      acc = "void";
      count = 1;
      break;
    }
    acc = count ? Join({acc, ",", t.left, t.right}) : Join({t.left, t.right});
    ++count;
    if (t.is_ellipsis) break;
    if (arena_.exhausted()) return false;
  }
  out = Join({"(", count ? acc : Str("void"), ")"});
  return !arena_.exhausted();
}

bool Demangler::ThrowSpec(Str& out) {
  if (Eat('Z')) return true;
  if (Peek() == '_' && Peek(1) == 'E') {
    pos_ += 2;
    if (!Has(UNDNAME_NO_THROW_SIGNATURES)) out = " noexcept";
    return true;
  }
  return false;
}

// Operator codes after "??": sets `name` (and `kind`); string literals and
// hashed names are complete by themselves (`done`, text in `out`).
bool Demangler::Operator(Str& name, int& kind, bool& done, Str& out) {
  const char c = Get();
  switch (c) {
    case '0': kind = kCtor; return true;
    case '1': kind = kDtor; return true;
    case '2': name = "operator new"; return true;
    case '3': name = "operator delete"; return true;
    case '4': name = "operator="; return true;
    case '5': name = "operator>>"; return true;
    case '6': name = "operator<<"; return true;
    case '7': name = "operator!"; return true;
    case '8': name = "operator=="; return true;
    case '9': name = "operator!="; return true;
    case 'A': name = "operator[]"; return true;
    case 'B': name = "operator"; kind = kCast; return true;
    case 'C': name = "operator->"; return true;
    case 'D': name = "operator*"; return true;
    case 'E': name = "operator++"; return true;
    case 'F': name = "operator--"; return true;
    case 'G': name = "operator-"; return true;
    case 'H': name = "operator+"; return true;
    case 'I': name = "operator&"; return true;
    case 'J': name = "operator->*"; return true;
    case 'K': name = "operator/"; return true;
    case 'L': name = "operator%"; return true;
    case 'M': name = "operator<"; return true;
    case 'N': name = "operator<="; return true;
    case 'O': name = "operator>"; return true;
    case 'P': name = "operator>="; return true;
    case 'Q': name = "operator,"; return true;
    case 'R': name = "operator()"; return true;
    case 'S': name = "operator~"; return true;
    case 'T': name = "operator^"; return true;
    case 'U': name = "operator|"; return true;
    case 'V': name = "operator&&"; return true;
    case 'W': name = "operator||"; return true;
    case 'X': name = "operator*="; return true;
    case 'Y': name = "operator+="; return true;
    case 'Z': name = "operator-="; return true;
    case '_': break;
    default: return false;
  }
  const char d = Get();
  const bool special = !(d >= '0' && d <= '6') && d != 'U' && d != 'V' && d != '_';
  if (special && Has(UNDNAME_NO_SPECIAL_SYMS)) return false;
  switch (d) {
    case '0': name = "operator/="; return true;
    case '1': name = "operator%="; return true;
    case '2': name = "operator>>="; return true;
    case '3': name = "operator<<="; return true;
    case '4': name = "operator&="; return true;
    case '5': name = "operator|="; return true;
    case '6': name = "operator^="; return true;
    case '7': name = "`vftable'"; return true;
    case '8': name = "`vbtable'"; return true;
    case '9': name = "`vcall'"; kind = kVcall; return true;
    case 'A': name = "`typeof'"; return true;
    case 'B': name = "`local static guard'"; kind = kGuard; return true;
    case 'C':
      done = true;
      return StringLiteral(out);
    case 'D': name = "`vbase destructor'"; return true;
    case 'E': name = "`vector deleting destructor'"; return true;
    case 'F': name = "`default constructor closure'"; return true;
    case 'G': name = "`scalar deleting destructor'"; return true;
    case 'H': name = "`vector constructor iterator'"; return true;
    case 'I': name = "`vector destructor iterator'"; return true;
    case 'J': name = "`vector vbase constructor iterator'"; return true;
    case 'K': name = "`virtual displacement map'"; return true;
    case 'L': name = "`eh vector constructor iterator'"; return true;
    case 'M': name = "`eh vector destructor iterator'"; return true;
    case 'N': name = "`eh vector vbase constructor iterator'"; return true;
    case 'O': name = "`copy constructor closure'"; return true;
    case 'R': {
      const char r = Get();
      switch (r) {
        case '0': {
          Type t;
          const TypeTable saved = args_;
          if (!Datatype(t, false)) return false;
          args_ = saved;
          name = Join({t.left, t.right, " `RTTI Type Descriptor'"});
          return !arena_.exhausted();
        }
        case '1': {
          Str a, b, c2, d2;
          if (!Number(a) || !Number(b) || !Number(c2) || !Number(d2)) return false;
          name = Join({"`RTTI Base Class Descriptor at (", a, ",", b, ",", c2, ",", d2, ")'"});
          return !arena_.exhausted();
        }
        case '2': name = "`RTTI Base Class Array'"; return true;
        case '3': name = "`RTTI Class Hierarchy Descriptor'"; return true;
        case '4': name = "`RTTI Complete Object Locator'"; return true;
        default: return false;
      }
    }
    case 'S': name = "`local vftable'"; return true;
    case 'T': name = "`local vftable constructor closure'"; return true;
    case 'U': name = "operator new[]"; return true;
    case 'V': name = "operator delete[]"; return true;
    case 'X': name = "`placement delete closure'"; return true;
    case 'Y': name = "`placement delete[] closure'"; return true;
    case '_': break;
    default: return false;
  }
  const char e = Get();
  if (e != 'K' && e != 'L' && e != 'M' && Has(UNDNAME_NO_SPECIAL_SYMS)) return false;
  switch (e) {
    case 'A': name = "`managed vector constructor iterator'"; return true;
    case 'B': name = "`managed vector destructor iterator'"; return true;
    case 'C': name = "`eh vector copy constructor iterator'"; return true;
    case 'D': name = "`eh vector vbase copy constructor iterator'"; return true;
    case 'E':
    case 'F': {
      // Dynamic initialiser / atexit destructor of a variable: either a
      // plain name, or the variable's whole decorated name.
      const Str what = e == 'E' ? "`dynamic initializer for " : "`dynamic atexit destructor for ";
      if (Peek() == '?') {
        ++pos_;
        Str inner;
        if (!SymbolBody(inner) || !Eat('@')) return false;
        name = Join({what, "`", inner, "''"});
        return !arena_.exhausted();
      }
      const std::size_t mark = pos_;
      Str simple;
      if (SimpleName(simple) && Peek() == '@') {
        name = Join({what, "'", simple, "''"});
        return !arena_.exhausted();
      }
      // Older compilers left out the '?' and one '@': a variable name.
      pos_ = mark;
      Str inner;
      if (!SymbolBody(inner) || !Eat('@')) return false;
      name = Join({what, "`", inner, "''"});
      kind = kScopeRead;
      return !arena_.exhausted();
    }
    case 'G': name = "`vector copy constructor iterator'"; return true;
    case 'H': name = "`vector vbase copy constructor iterator'"; return true;
    case 'I': name = "`managed vector copy constructor iterator'"; return true;
    case 'J': name = "`local static thread guard'"; kind = kGuard; return true;
    case 'K': {
      Str suffix;
      if (!SimpleName(suffix)) return false;
      name = Join({"operator \"\" ", suffix});
      return !arena_.exhausted();
    }
    case 'L': name = "operator co_await"; return true;
    case 'M': name = "operator<=>"; return true;
    default: return false;
  }
}

bool Demangler::CharLiteral(uint8_t& out) {
  if (AtEnd()) return false;
  if (!Eat('?')) {
    out = static_cast<uint8_t>(Get());
    return true;
  }
  const char c = Get();
  if (c == '$') {
    const char hi = Get(), lo = Get();
    if (hi < 'A' || hi > 'P' || lo < 'A' || lo > 'P') return false;
    out = static_cast<uint8_t>(((hi - 'A') << 4) | (lo - 'A'));
    return true;
  }
  if (c >= '0' && c <= '9') {
    static constexpr char kDigits[] = ",/\\:. \n\t'-";
    out = static_cast<uint8_t>(kDigits[c - '0']);
    return true;
  }
  if (c >= 'a' && c <= 'z') {
    out = static_cast<uint8_t>(c - 'a' + 0xE1);
    return true;
  }
  if (c >= 'A' && c <= 'Z') {
    out = static_cast<uint8_t>(c - 'A' + 0xC1);
    return true;
  }
  return false;
}

// "??_C@_" string literals: the compiler keeps the first 32 bytes; the text
// shows them, escaped, with "..." when the string was longer.
bool Demangler::StringLiteral(Str& out) {
  if (!Eat('@') || !Eat('_')) return false;
  const char width = Get();
  if (width != '0' && width != '1') return false;
  const bool wide = width == '1';
  bool negative = false;
  uint64_t size = 0;
  if (!NumberValue(negative, size) || negative || size < (wide ? 2u : 1u)) return false;
  while (!AtEnd() && Peek() != '@') ++pos_;  // checksum
  if (!Eat('@') || AtEnd()) return false;

  constexpr std::size_t kMaxBytes = 32 * 4;
  uint8_t bytes[kMaxBytes];
  std::size_t count = 0;
  while (!Eat('@')) {
    if (AtEnd() || count >= kMaxBytes) return false;
    if (!CharLiteral(bytes[count++])) return false;
  }
  unsigned unit = 1;
  if (wide) {
    unit = 2;
    if (count % 2) return false;
  } else if (size % 2 == 0) {
    // Narrow storage may hold char16_t or char32_t text; guess from nulls.
    std::size_t nulls = 0;
    if (size < 32) {
      for (std::size_t i = count; i > 0 && bytes[i - 1] == 0; --i) ++nulls;
      if (nulls >= 4 && size % 4 == 0) unit = 4;
      else if (nulls >= 2) unit = 2;
    } else {
      for (std::size_t i = 0; i < count; ++i) nulls += bytes[i] == 0;
      if (nulls >= 2 * count / 3 && size % 4 == 0) unit = 4;
      else if (nulls >= count / 3) unit = 2;
    }
  }
  const bool truncated = size > count;
  const std::size_t chars = count / unit;
  std::string text;
  text.reserve(count * 2 + 8);
  text += wide ? "L\"" : unit == 2 ? "u\"" : unit == 4 ? "U\"" : "\"";
  for (std::size_t i = 0; i < chars; ++i) {
    uint32_t ch = 0;
    for (unsigned b = 0; b < unit; ++b) {
      const uint32_t byte = bytes[i * unit + b];
      ch |= wide ? byte << (8 * (unit - 1 - b)) : byte << (8 * b);
    }
    if (i + 1 == chars && !truncated) break;  // the terminating null
    switch (ch) {
      case 0: text += "\\0"; continue;
      case '\'': text += "\\'"; continue;
      case '"': text += "\\\""; continue;
      case '\\': text += "\\\\"; continue;
      case '\a': text += "\\a"; continue;
      case '\b': text += "\\b"; continue;
      case '\f': text += "\\f"; continue;
      case '\n': text += "\\n"; continue;
      case '\r': text += "\\r"; continue;
      case '\t': text += "\\t"; continue;
      case '\v': text += "\\v"; continue;
      default: break;
    }
    if (ch > 0x1F && ch < 0x7F) {
      text += static_cast<char>(ch);
      continue;
    }
    char hex[12];
    int n = 0;
    while (ch) {
      for (int k = 0; k < 2; ++k) {
        hex[n++] = "0123456789ABCDEF"[ch % 16];
        ch /= 16;
      }
    }
    text += "\\x";
    while (n) text += hex[--n];
  }
  text += '"';
  if (truncated) text += "...";
  out = arena_.Copy(text);
  return !arena_.exhausted();
}

bool Demangler::Symbol(Str& out) {
  DepthGuard guard(*this);
  if (!guard.ok()) return false;
  if (!Eat('?')) return false;
  ++symbol_depth_;
  const bool ok = SymbolBody(out);
  --symbol_depth_;
  return ok;
}

bool Demangler::SymbolBody(Str& out) {
  DepthGuard guard(*this);
  if (!guard.ok()) return false;

  // Hashed names: "??@" 32 hex digits "@", kept as they are.
  if (Peek() == '?' && Peek(1) == '@') {
    const std::size_t start = pos_ - 1;
    pos_ += 2;
    while (!AtEnd() && Peek() != '@') ++pos_;
    if (!Eat('@')) return false;
    if (in_.substr(pos_, 6) == "??_R4@") pos_ += 6;
    out = in_.substr(start, pos_ - start);
    return true;
  }

  Str name;
  int kind = kPlain;
  bool scope_read = false;
  if (Peek() == '?' && (Peek(1) != '$' || Peek(2) == '?')) {
    const bool templated = Peek(1) == '$';
    pos_ += templated ? 3 : 1;
    bool done = false;
    if (!Operator(name, kind, done, out)) return false;
    if (done) return true;
    if (kind == kScopeRead) {
      kind = kPlain;
      scope_read = true;
    }
    if (templated) {
      const NameTable saved_names = names_;
      const TypeTable saved_args = args_;
      names_ = NameTable{};
      args_ = TypeTable{};
      Str targs;
      const bool ok = TemplateArgs(targs);
      names_ = saved_names;
      args_ = saved_args;
      if (!ok) return false;
      name = Join({name, targs});
    }
    Str scope, innermost;
    if (!scope_read && !QualifiedName(scope, &innermost, true)) return false;
    if (kind == kCtor || kind == kDtor) {
      if (innermost.empty()) return false;
      name = Join({kind == kDtor ? "~" : "", innermost, name});
    }
    if (!scope.empty()) name = Join({scope, "::", name});
  } else if (Peek() == '$') {
    // A bare template name: "?$name@args".
    ++pos_;
    return TemplateName(out);
  } else {
    // An ordinary name. A function template's own name is not remembered
    // for back-references, a variable template's is; which of the two it is
    // shows only after the scope, so a variable template's name takes the
    // place in the table it had when it was read.
    Str first;
    const bool template_name = Peek() == '?' && Peek(1) == '$';
    const int table_at = names_.count;
    if (!NamePiece(first, !template_name)) return false;
    Str scope;
    if (!QualifiedName(scope, nullptr, true)) return false;
    if (template_name && Peek() >= '0' && Peek() <= '9') MemorizeAt(first, table_at);
    name = scope.empty() ? first : Join({scope, "::", first});
  }
  if (arena_.exhausted()) return false;

  const char c = Peek();
  if (c >= '0' && c <= '9') return Data(name, kind, out);
  if ((c >= 'A' && c <= 'Z') || c == '$') return Method(name, kind, out);
  return false;
}

bool Demangler::Data(Str name, int kind, Str& out) {
  const char c = Get();
  Str access, member;
  if (!Has(UNDNAME_NO_ACCESS_SPECIFIERS)) {
    if (c == '0') access = "private: ";
    else if (c == '1') access = "protected: ";
    else if (c == '2') access = "public: ";
  }
  if (!Has(UNDNAME_NO_MEMBER_TYPE) && c >= '0' && c <= '2') member = "static ";
  Type t;
  Str modifier;
  if (kind == kGuard) {
    Str n;
    if (c != '5' || !Number(n)) return false;
    out = Join({name, "{", n, "}'"});
    return !arena_.exhausted();
  }
  switch (c) {
    case '0': case '1': case '2': case '3': case '4': case '5':
      if (!Datatype(t, false) || !StorageModifier(modifier)) return false;
      break;
    case '6':
    case '7': {
      if (!StorageModifier(modifier)) return false;
      Str targets;
      while (!AtEnd() && Peek() != '@') {
        Str cls;
        if (!QualifiedName(cls, nullptr)) return false;
        targets = targets.empty() ? Join({"{for `", cls, "'"}) : Join({targets, "s `", cls, "'"});
      }
      Eat('@');
      if (!targets.empty()) t.right = Join({targets, "}"});
      break;
    }
    case '8':
      if (symbol_depth_ == 1 && !AtEnd()) return false;
      break;
    case '9':  // an extern "C" name
      if (Has(UNDNAME_NAME_ONLY)) break;
      out = Join({"extern \"C\" ", name});
      return !arena_.exhausted();
    default:
      return false;
  }
  if (Has(UNDNAME_NAME_ONLY)) {
    out = name;
    return true;
  }
  const bool left = !t.left.empty();
  const bool mod = !modifier.empty();
  out = Join({access, member, t.left, mod && left ? " " : "", modifier, mod || left ? " " : "", name,
              t.right});
  return !arena_.exhausted();
}

bool Demangler::Method(Str name, int kind, Str& out) {
  Str access, member, prefix;
  bool has_this = false, thunk = false;
  char letter = Get();
  if (letter == '$' && Peek() == '$') {  // "$$J0" extern "C", "$$F"/"$$H" managed
    ++pos_;
    const char k = Get();
    if (k == 'J' || k == 'N') {
      if (AtEnd()) return false;
      ++pos_;
      prefix = "extern \"C\" ";
    } else if (k != 'F' && k != 'H') {
      return false;
    }
    letter = Get();
    if (letter == '$') return false;
  }
  Str thunk_text;
  if (letter == '$') {
    const char t = Peek();
    thunk = true;
    if (t >= '0' && t <= '5') {
      ++pos_;
      access = t < '2' ? "private: " : t < '4' ? "protected: " : "public: ";
      member = "virtual ";
      Str a, b;
      if (!Number(a) || !Number(b)) return false;
      thunk_text = Join({"`vtordisp{", a, ",", b, "}' "});
      has_this = true;
    } else if (t == 'R') {
      ++pos_;
      const char d = Get();
      if (d < '0' || d > '5') return false;
      access = d < '2' ? "private: " : d < '4' ? "protected: " : "public: ";
      member = "virtual ";
      Str a, b, c, e;
      if (!Number(a) || !Number(b) || !Number(c) || !Number(e)) return false;
      thunk_text = Join({"`vtordispex{", a, ",", b, ",", c, ",", e, "}' "});
      has_this = true;
    } else if (t == 'B') {
      ++pos_;
      Str n;
      if (!Number(n) || !Eat('A')) return false;
      Str cc;
      if (!CallingConvention(Get(), false, cc)) return false;
      if (Has(UNDNAME_NAME_ONLY)) {
        out = Join({name, "{", n, "}"});
        return !arena_.exhausted();
      }
      // The platform closes a vcall thunk's own name with "' }'".
      out = Join({Has(UNDNAME_NO_ACCESS_SPECIFIERS) ? "" : "[thunk]: ", cc, cc.empty() ? "" : " ", name,
                  "{", n, ",{flat}}", symbol_depth_ == 1 ? "' }'" : ""});
      return !arena_.exhausted();
    } else {
      return false;
    }
  } else if (letter >= 'A' && letter <= 'X') {
    const int id = (letter - 'A') / 8, sub = (letter - 'A') % 8;
    access = id == 0 ? "private: " : id == 1 ? "protected: " : "public: ";
    if (sub == 2 || sub == 3) member = "static ";
    else if (sub >= 4) member = "virtual ";
    has_this = sub != 2 && sub != 3;
    if (sub == 6 || sub == 7) {
      thunk = true;
      Str n;
      if (!Number(n)) return false;
      thunk_text = Join({"`adjustor{", n, "}' "});
    }
  } else if (letter != 'Y' && letter != 'Z') {
    return false;
  }
  if (kind == kVcall) return false;
  if (thunk) access = Join({"[thunk]:", access});
  if (Has(UNDNAME_NO_ACCESS_SPECIFIERS)) access = {};
  if (Has(UNDNAME_NO_MEMBER_TYPE)) member = {};

  Str quals;
  if (has_this && !ThisQualifiers(quals)) return false;
  Str cc;
  if (!CallingConvention(Get(), false, cc)) return false;
  Type ret;
  bool no_return = kind == kCtor || kind == kDtor;
  if (Eat('@')) no_return = true;  // no return type: constructors, lambdas
  else if (!Datatype(ret, false)) return false;
  if (kind == kCast) {
    name = Join({name, " ", ret.left, ret.right, ret.value_cv ? " " : ""});
    no_return = true;
  }
  if (no_return || Has(UNDNAME_NO_FUNCTION_RETURNS)) ret = Type{};
  Str args, thrown;
  if (!ArgList(args) || !ThrowSpec(thrown)) return false;
  name = Join({name, thunk_text});
  if (Has(UNDNAME_NAME_ONLY)) {
    out = thunk_text.empty() ? name : Join({name.substr(0, name.size() - 1)});
    return !arena_.exhausted();
  }
  if (Has(UNDNAME_NO_ARGUMENTS)) args = quals = thrown = {};
  const bool space = !ret.left.empty() && ret.right.empty();
  out = Join({access, member, prefix, ret.left, space ? " " : "", cc, cc.empty() ? "" : " ", name, args,
              quals, thrown, ret.right});
  return !arena_.exhausted();
}

DemangleResult Demangler::Run() {
  DemangleResult result;
  bool ok = false;
  Str text;
  if ((flags_ & (UNDNAME_NO_ARGUMENTS | UNDNAME_32_BIT_DECODE)) ==
      (UNDNAME_NO_ARGUMENTS | UNDNAME_32_BIT_DECODE)) {
    // A bare data type, as the platform reads it for this flag pair; what it
    // cannot read whole it hands back unchanged.
    flags_ &= ~UNDNAME_NO_ARGUMENTS;
    Type t;
    if (Datatype(t, false) && AtEnd() && !arena_.exhausted() && !(t.left.empty() && t.right.empty())) {
      result.outcome = Outcome::kText;
      result.text.assign(t.left);
      result.text.append(t.right);
      return result;
    }
    result.outcome = Outcome::kNotDecorated;
    return result;
  }
  if (Peek() == '.') {
    // The name of an RTTI type descriptor: '.' and a type.
    ++pos_;
    Type t;
    ok = Datatype(t, false) && AtEnd();
    if (ok) text = Join({t.left, t.right, Has(UNDNAME_NAME_ONLY) ? "" : " `RTTI Type Descriptor Name'"});
  } else {
    ok = Symbol(text);
  }
  if (ok && !arena_.exhausted() && !text.empty()) {
    result.outcome = Outcome::kText;
    result.text.assign(text);
  } else {
    result.outcome = not_decorated_ && !arena_.exhausted() && depth_ == 0 ? Outcome::kNotDecorated
                                                                           : Outcome::kFailed;
  }
  return result;
}

}  // namespace

DemangleResult Demangle(std::string_view name, uint32_t flags) {
  Demangler d(name, flags);
  return d.Run();
}

}  // namespace tarnix::undname
