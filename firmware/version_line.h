#pragma once
// The version lines of a component file's text header: "Product Version: 1.2.3" or
// "Component Version: 4.5.6", the label anywhere in the line.
#include "firmware/version.h"

enum class BvVersionLine { None, Product, Component };

// Recognises the line (a product label wins over a component label in the same line) and
// reads the numbers after the label as "%u.%u.%u" would: each starts at 0 and keeps what was
// matched, so "2.5" gives 2.5.0 and letters give 0.0.0. Only blanks after the label mean the
// line holds no version. `version` is set only when the result is not None.
BvVersionLine BvParseVersionLine(const char* line, CBvVersionInfo& version);
