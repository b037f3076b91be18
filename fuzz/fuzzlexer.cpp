// Fuzz target: one file through the lexer, every word taken and classified.

#include "fuzzsupport.h"

#include "reader/paramicslexer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = FuzzScratch::instance().writeFile(QStringLiteral("nodes"), data, size);
    ParamicsLexer lexer;
    if (!lexer.openFile(path))
        return 0;
    ParamicsToken token;
    std::size_t taken = 0;
    while (lexer.notAtEnd()) {
        lexer.nextToken(token);
        ++taken;
    }
    // Every word ends the loop once: the lexer never hands out more words than bytes (plus its end marker).
    if (taken > size + 1)
        __builtin_trap();
    return 0;
}
