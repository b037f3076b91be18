// The Sias configuration file: the stop delay and the time to red that
// signal control uses.

#include "importer/paramicsimporter.h"
#include "reader/paramicslexer.h"

void ParamicsImporter::readConfigurationSias(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/configuration"));

    // A step ends on the token that completed or broke its sequence; the
    // next pass looks at that token again.
    ParamicsToken token;
    lexer.nextToken(token);
    while (lexer.notAtEnd()) {
        if (token.is(ParamicsToken::Stop)) {
            lexer.nextToken(token);
            if (token.is(ParamicsToken::Delay)) {
                lexer.nextToken(token);
                stopDelay = token.toFloat();
            }
        } else if (token.is(ParamicsToken::To)) {
            lexer.nextToken(token);
            if (token.is(ParamicsToken::Red)) {
                lexer.nextToken(token);
                if (token.is(ParamicsToken::Time)) {
                    lexer.nextToken(token);
                    toRedTime = token.toFloat();
                }
            }
        } else {
            lexer.nextToken(token);
        }
    }
}
