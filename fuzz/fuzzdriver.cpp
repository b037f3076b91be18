// Runs a fuzz target's entry function on files, without libFuzzer: the
// seeds and regression inputs in CTest. Arguments are files or folders
// (every file in a folder, not recursive).

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int runFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    std::printf("%s (%lld bytes)\n", qPrintable(path), static_cast<long long>(bytes.size()));
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    int failures = 0;
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(argument).isDir()) {
            const QDir dir(argument);
            for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
                failures += runFile(dir.filePath(name));
                ++inputs;
            }
        } else {
            failures += runFile(argument);
            ++inputs;
        }
    }
    std::printf("%d inputs run\n", inputs);
    // An empty corpus is a broken test set-up, not a pass.
    return failures == 0 && inputs > 0 ? 0 : 1;
}
