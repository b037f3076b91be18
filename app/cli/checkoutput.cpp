#include "cli/checkoutput.h"

#include "check/checktext.h"
#include "check/modelcheck.h"
#include "check/problemsfile.h"
#include "cli/commandline.h"

namespace {

void print(FILE* stream, const QString& text)
{
    if (stream)
        std::fputs(text.toLocal8Bit().constData(), stream);
}

}  // namespace

int CheckOutput::run(const CVModel& model, const QString& directory, const ParsedCommandLine& commandLine,
                     const QString& command, FILE* out, FILE* err)
{
    CheckReport report = ModelCheck::run(model, directory);
    const bool quiet = commandLine.isSet(QStringLiteral("quiet"));
    CheckReport shown;
    for (const CheckFinding& finding : report.findings) {
        if (!quiet || finding.severity() == CheckSeverity::Error)
            shown.findings.append(finding);
    }
    for (const QString& line : CheckText::lines(shown, commandLine.isSet(QStringLiteral("verbose"))))
        print(err, line + QLatin1Char('\n'));
    if (!quiet)
        print(err, CheckText::countLine(report) + QLatin1Char('\n'));
    const QString problems = commandLine.value(QStringLiteral("problems"));
    if (!problems.isEmpty()) {
        QString error;
        if (!ProblemsFile::write(report, problems, &error)) {
            print(err, QStringLiteral("%1: cannot write %2: %3\n").arg(command, problems, error));
            return CommandLine::OutputFailed;
        }
        if (!quiet)
            print(out, QStringLiteral("Problems written to %1\n").arg(problems));
    }
    return report.hasErrors() ? CommandLine::CheckFoundErrors : CommandLine::Imported;
}
