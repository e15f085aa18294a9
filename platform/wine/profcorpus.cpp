// profcorpus: runs a corpus of profile-function cases read from standard input
// and prints every result, byte for byte, so that two implementations of
// GetPrivateProfileStringA and WritePrivateProfileStringA can be compared by
// their output alone.
//
// Corpus lines ('#' starts a comment line):
//   case NAME                 starts a case; the file is removed
//   file / rawfile ... end    writes the file: each line ended CR LF / LF only;
//                             \r \n \t \\ \" \xHH escapes in both
//   remove                    deletes the file
//   get SECTION KEY DEFAULT SIZE
//   keys SECTION DEFAULT SIZE (key list: key null)
//   write SECTION KEY VALUE   (VALUE - deletes the key, KEY - the section)
//   flush                     (all three null)
//   show                      prints the file's bytes
// Arguments are blank-separated words or "quoted" texts with the escapes
// above; a bare - stands for a null pointer.
#include "platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace {

const char kFile[] = "C:\\PROFILE.INI";
constexpr unsigned char kFill = 0xEE;

struct Arg {
  bool null = false;
  std::string text;
  const char* ptr() const { return null ? nullptr : text.c_str(); }
};

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads one escape after a backslash at s[i]; advances i past it.
char unescape(const std::string& s, size_t& i) {
  char c = i + 1 < s.size() ? s[i + 1] : '\\';
  i += 2;
  switch (c) {
    case 'r': return '\r';
    case 'n': return '\n';
    case 't': return '\t';
    case 'x': {
      int v = 0;
      for (int k = 0; k < 2 && i < s.size() && hexDigit(s[i]) >= 0; k++) v = v * 16 + hexDigit(s[i++]);
      return static_cast<char>(v);
    }
    default: return c;
  }
}

std::string unescapeAll(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size();) {
    if (s[i] == '\\') out += unescape(s, i);
    else out += s[i++];
  }
  return out;
}

bool splitArgs(const std::string& line, std::vector<Arg>& args) {
  size_t i = 0;
  while (true) {
    while (i < line.size() && line[i] == ' ') i++;
    if (i >= line.size()) return true;
    Arg a;
    if (line[i] == '"') {
      i++;
      while (i < line.size() && line[i] != '"') {
        if (line[i] == '\\') a.text += unescape(line, i);
        else a.text += line[i++];
      }
      if (i >= line.size()) return false;
      i++;
    } else {
      while (i < line.size() && line[i] != ' ') a.text += line[i++];
      a.null = a.text == "-";
    }
    args.push_back(a);
  }
}

void printBytes(const unsigned char* p, size_t n) {
  std::putchar('"');
  for (size_t i = 0; i < n; i++) {
    unsigned char c = p[i];
    if (c == '"' || c == '\\') std::printf("\\%c", c);
    else if (c == '\r') std::printf("\\r");
    else if (c == '\n') std::printf("\\n");
    else if (c == '\t') std::printf("\\t");
    else if (c < 0x20 || c >= 0x7f) std::printf("\\x%02x", c);
    else std::putchar(c);
  }
  std::putchar('"');
}

// A buffer of size bytes: what the call wrote, then the untouched fill as ~N.
void printBuffer(const std::vector<unsigned char>& buf) {
  size_t end = buf.size();
  while (end > 0 && buf[end - 1] == kFill) end--;
  printBytes(buf.data(), end);
  if (end < buf.size()) std::printf(" ~%u", static_cast<unsigned>(buf.size() - end));
}

void printArg(const Arg& a) {
  if (a.null) std::printf(" -");
  else {
    std::putchar(' ');
    printBytes(reinterpret_cast<const unsigned char*>(a.text.data()), a.text.size());
  }
}

bool writeFile(const std::string& bytes) {
  HANDLE h = CreateFileA(kFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return ok && written == bytes.size();
}

void showFile() {
  HANDLE h = CreateFileA(kFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    std::printf("  file: none\n");
    return;
  }
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(h);
  // One printed line per file line keeps differences readable.
  size_t start = 0;
  std::printf("  file:\n");
  while (start < bytes.size()) {
    size_t nl = bytes.find('\n', start);
    size_t end = nl == std::string::npos ? bytes.size() : nl + 1;
    std::printf("    ");
    printBytes(reinterpret_cast<const unsigned char*>(bytes.data() + start), end - start);
    std::putchar('\n');
    start = end;
  }
}

bool sizeArg(const Arg& a, DWORD& size) {
  char* end = nullptr;
  unsigned long v = std::strtoul(a.text.c_str(), &end, 10);
  if (a.null || !end || *end || v > 65536) return false;
  size = static_cast<DWORD>(v);
  return true;
}

int fail(int lineNo, const char* what) {
  std::fprintf(stderr, "corpus line %d: %s\n", lineNo, what);
  return 2;
}

}  // namespace

int main() {
#if defined(_WIN32)
  // The same bytes on both builds: no CR added to the line ends.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
#endif
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  char raw[8192];
  int lineNo = 0;
  std::string block;
  int blockKind = 0;  // 1 file (CR LF), 2 rawfile (LF)
  while (std::fgets(raw, sizeof raw, stdin)) {
    lineNo++;
    std::string line(raw);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (blockKind) {
      if (line == "end") {
        if (!writeFile(block)) return fail(lineNo, "cannot write the file");
        blockKind = 0;
      } else {
        block += unescapeAll(line);
        block += blockKind == 1 ? "\r\n" : "\n";
      }
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    std::vector<Arg> args;
    if (!splitArgs(line, args)) return fail(lineNo, "unterminated quote");
    const std::string& op = args[0].text;
    if (op == "case" && args.size() == 2) {
      DeleteFileA(kFile);
      std::printf("case %s\n", args[1].text.c_str());
    } else if ((op == "file" || op == "rawfile") && args.size() == 1) {
      block.clear();
      blockKind = op == "file" ? 1 : 2;
    } else if (op == "remove" && args.size() == 1) {
      DeleteFileA(kFile);
      std::printf("  remove\n");
    } else if (op == "get" && args.size() == 5) {
      DWORD size = 0;
      if (!sizeArg(args[4], size)) return fail(lineNo, "bad size");
      std::vector<unsigned char> buf(size, kFill);
      DWORD r = GetPrivateProfileStringA(args[1].ptr(), args[2].ptr(), args[3].ptr(),
                                         reinterpret_cast<char*>(buf.data()), size, kFile);
      std::printf("  get");
      for (size_t i = 1; i < 4; i++) printArg(args[i]);
      std::printf(" %u -> %u ", static_cast<unsigned>(size), static_cast<unsigned>(r));
      printBuffer(buf);
      std::putchar('\n');
    } else if (op == "keys" && args.size() == 4) {
      DWORD size = 0;
      if (!sizeArg(args[3], size)) return fail(lineNo, "bad size");
      std::vector<unsigned char> buf(size, kFill);
      DWORD r = GetPrivateProfileStringA(args[1].ptr(), nullptr, args[2].ptr(), reinterpret_cast<char*>(buf.data()),
                                         size, kFile);
      std::printf("  keys");
      printArg(args[1]);
      printArg(args[2]);
      std::printf(" %u -> %u ", static_cast<unsigned>(size), static_cast<unsigned>(r));
      printBuffer(buf);
      std::putchar('\n');
    } else if (op == "write" && args.size() == 4) {
      BOOL r = WritePrivateProfileStringA(args[1].ptr(), args[2].ptr(), args[3].ptr(), kFile);
      std::printf("  write");
      for (size_t i = 1; i < 4; i++) printArg(args[i]);
      std::printf(" -> %s\n", r ? "ok" : "failed");
    } else if (op == "flush" && args.size() == 1) {
      BOOL r = WritePrivateProfileStringA(nullptr, nullptr, nullptr, kFile);
      std::printf("  flush -> %s\n", r ? "ok" : "failed");
    } else if (op == "show" && args.size() == 1) {
      showFile();
    } else {
      return fail(lineNo, "unknown command or wrong number of arguments");
    }
  }
  if (blockKind) return fail(lineNo, "file block without end");
  DeleteFileA(kFile);
  return 0;
}
