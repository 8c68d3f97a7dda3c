// tarrengard-cfg's command lines: the arguments after the command, and the
// VALUE texts of "set".
#pragma once

#include <cstdint>
#include <vector>

namespace cfg {

struct CommandLine {
  std::vector<const char *> operands;
  const char *mode = nullptr;         // --raw, --string, ... (get and set)
  const char *optionValue = nullptr;  // the argument of -o or -C
};

// Splits the arguments after the command into operands, one mode flag out of
// `modes` (null-terminated list) and, when `valueOption` is given ("-o", "-C"),
// that option's argument. Arguments that merely start with "-" are operands
// ("-5" is a value); "--" makes every later argument an operand. A usage
// error is reported and answered as its exit status; 0 otherwise.
int splitArguments(int argc, char **argv, const char *const *modes, const char *valueOption, CommandLine *line);

// A decimal 32-bit integer with an optional sign, nothing else around it.
bool parseInteger32(const char *text, int32_t *value);
// 1, 0, true or false.
bool parseBoolean(const char *text, int *flag);
// A decimal literal: [sign] digits [. digits] [exponent], or [sign] . digits
// [exponent], whose value is finite. *tooSmall: a number other than zero so
// small that a double holds it as 0.
bool parseDecimalDouble(const char *text, double *value, bool *tooSmall);

}  // namespace cfg
