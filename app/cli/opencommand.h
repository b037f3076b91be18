#pragma once

#include <cstdio>

struct ParsedCommandLine;

// `corvia open MODEL.json [outputs]`: opens a saved model headless and
// writes from it what `corvia import` writes from an imported one.
class OpenCommand
{
public:
    // Exit status: 0 when the model opened and every output was written,
    // 1 when the model cannot be opened or an output cannot be written.
    static int run(const ParsedCommandLine& commandLine, FILE* out = stdout, FILE* err = stderr);

private:
    static int openModel(const ParsedCommandLine& commandLine, FILE* out, FILE* err);
};
