// write_corpus DIR: writes the valid pictures and the hostile files into DIR, for a look by hand
// or as the fuzzer's seeds. Exits non-zero when a file could not be written.

#include "hostile_corpus.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);  // Qt's JPEG and ICO writers are plugins
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_corpus DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    return dir.mkpath(QStringLiteral(".")) && write_corpus(dir) ? 0 : 1;
}
