// What the fuzz targets share: one scratch machine per process, the DOS text
// conventions as a reader sees them, and how a broken property is reported.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zpfuzz {

// A machine directory of its own for the whole process (HOSTWIN_ROOT names
// it from the first call on); removed when the process ends normally.
const std::string& Machine();

// Empties the machine and gives it this card.ini.
void ResetMachine(std::string_view cardIni);

// Files by their machine names ("drive_c/AUTOEXEC.BAT").
void WriteFile(const std::string& relative, std::string_view bytes);
std::optional<std::string> ReadFile(const std::string& relative);
// Every file of the machine, relative and sorted.
std::vector<std::string> Files();

// The pieces a DOS text-mode reader delivers: CR LF comes as LF, a lone CR
// stays, Ctrl-Z ends the text; a piece ends after its LF or at 254 characters.
std::vector<std::string> DosPieces(std::string_view bytes);
// Text as a DOS text-mode writer puts it: every LF as CR LF.
std::string DosBytes(std::string_view text);

// Cuts the next field, up to a NUL, from the front of input; nothing when
// input holds no NUL (then input is left as it is).
std::optional<std::string> TakeField(std::string_view& input);

// Printable form of bytes: controls and bytes above 0x7e escaped.
std::string Show(std::string_view bytes);

// Reports a broken property with what was got and expected, and aborts, so
// that the fuzzer keeps the input.
[[noreturn]] void Fail(const std::string& what, std::string_view got = {}, std::string_view expected = {});

}  // namespace zpfuzz
