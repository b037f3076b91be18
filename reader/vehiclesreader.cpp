// Vehicle types and the matrices they draw on.

#include "importer/paramicsimporter.h"
#include "reader/paramicslexer.h"

namespace {

bool isClassKeyword(const ParamicsToken& token)
{
    switch (token.kind) {
    case ParamicsToken::Car:
    case ParamicsToken::Lgv:
    case ParamicsToken::Ogv1:
    case ParamicsToken::Ogv2:
    case ParamicsToken::Bus:
    case ParamicsToken::Coach:
    case ParamicsToken::Minibus:
        return true;
    default:
        return false;
    }
}

}  // namespace

// Each type block starts at "type" and runs to the next one. A block is
// filed under its matrix only when it ends, so the last "matrix" of the
// block decides where it goes. After a value is taken, the loop looks at the
// value token again: a number is skipped there, a keyword written in its
// place still takes effect. Keywords before the first "type" have no block
// to apply to and are ignored with their values.
void ParamicsImporter::readVehicles(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/vehicles"));

    ParamicsVehicle* current = nullptr;
    auto fileCurrent = [&] {
        if (current)
            vehicles[current->matrix].append(current);
        current = nullptr;
    };

    ParamicsToken token;
    lexer.nextToken(token);
    while (lexer.notAtEnd()) {
        if (token.is(ParamicsToken::Type)) {
            lexer.nextToken(token);
            fileCurrent();
            current = new ParamicsVehicle(token.toInt());
        } else if (isClassKeyword(token)) {
            if (current)
                current->className = token.text.toLower();
            lexer.nextToken(token);
        } else if (token.is(ParamicsToken::Matrix)) {
            lexer.nextToken(token);
            if (current)
                current->matrix = token.toInt();
        } else if (token.is(ParamicsToken::Proportion)) {
            lexer.nextToken(token);
            if (current)
                current->proportion = token.toDouble() / 100.0;
        } else {
            lexer.nextToken(token);
        }
    }
    fileCurrent();
}
