#pragma once
// The commands of korvaden-bank, apart from the process: the tool and the
// fuzzer run the same code. Every failure is a message on `err` and exit
// code 1; nothing any input holds ends the process otherwise.
#include <iosfwd>
#include <string>
#include <vector>

#include "bank.h"

namespace korvaden::bank {

extern const char* const kUsage;

// `args` without the program and the --deployment option; `in` serves the
// commands whose last argument may come on standard input.
int RunCommand(const std::vector<std::string>& args, const BankKeys& keys, std::istream& in, std::ostream& out,
               std::ostream& err);

}  // namespace korvaden::bank
