#include "tools/cfg_arguments.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "tools/cfg_common.h"

namespace cfg {

int splitArguments(int argc, char **argv, const char *const *modes, const char *valueOption, CommandLine *line) {
  bool optionsEnded = false;
  for (int i = 0; i < argc; i++) {
    const char *arg = argv[i];
    if (!optionsEnded) {
      if (strcmp(arg, "--") == 0) {
        optionsEnded = true;
        continue;
      }
      bool isMode = false;
      for (const char *const *mode = modes; mode && *mode; mode++) {
        if (strcmp(arg, *mode) == 0) isMode = true;
      }
      if (isMode) {
        if (line->mode) return usageError("only one of %s and %s may be given", line->mode, arg);
        line->mode = arg;
        continue;
      }
      if (valueOption && strcmp(arg, valueOption) == 0) {
        if (i + 1 >= argc) return usageError("option %s needs an argument", arg);
        if (line->optionValue) return usageError("option %s given twice", arg);
        line->optionValue = argv[++i];
        continue;
      }
      if (arg[0] == '-' && arg[1] == '-' && arg[2] != '\0') {
        return usageError("unknown option %s", arg);
      }
    }
    line->operands.push_back(arg);
  }
  return ExitSuccess;
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool parseInteger32(const char *text, int32_t *value) {
  const char *p = text;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (!isDigit(*p)) return false;
  int64_t magnitude = 0;
  for (; isDigit(*p); p++) {
    magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > 2147483648LL) return false;
  }
  if (*p != '\0') return false;
  int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue > INT32_MAX || signedValue < INT32_MIN) return false;
  *value = static_cast<int32_t>(signedValue);
  return true;
}

bool parseBoolean(const char *text, int *flag) {
  if (strcmp(text, "1") == 0 || strcmp(text, "true") == 0) {
    *flag = 1;
    return true;
  }
  if (strcmp(text, "0") == 0 || strcmp(text, "false") == 0) {
    *flag = 0;
    return true;
  }
  return false;
}

// Checked by hand because strtod also takes white space, hex floats, "inf"
// and "nan".
bool parseDecimalDouble(const char *text, double *value, bool *tooSmall) {
  const char *p = text;
  if (*p == '+' || *p == '-') p++;
  bool digits = false;
  bool nonZero = false;
  while (isDigit(*p)) {
    nonZero |= *p != '0';
    p++;
    digits = true;
  }
  if (*p == '.') {
    p++;
    while (isDigit(*p)) {
      nonZero |= *p != '0';
      p++;
      digits = true;
    }
  }
  if (!digits) return false;
  if (*p == 'e' || *p == 'E') {
    p++;
    if (*p == '+' || *p == '-') p++;
    if (!isDigit(*p)) return false;
    while (isDigit(*p)) p++;
  }
  if (*p != '\0') return false;
  char *end = nullptr;
  double parsed = strtod(text, &end);
  if (end != p || !std::isfinite(parsed)) return false;
  *tooSmall = nonZero && parsed == 0;
  *value = parsed;
  return !*tooSmall;
}

}  // namespace cfg
