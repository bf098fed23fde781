#pragma once
// Broken and hostile picture files for the loader, made from small valid pictures of the five
// formats: truncations, bit flips, headers that claim huge sizes, decompression bombs and
// offsets past the end. Every file is named after its fault. The valid pictures are written by
// Qt or built here byte by byte, never by the program's own library.

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QString>

struct CorpusFile {
    QString name;
    QByteArray bytes;
};

// The small valid pictures the hostile files are made from, one per format.
QList<CorpusFile> valid_pictures();

// The hostile files, each a variant of one valid picture (or of nothing, like empty files).
QList<CorpusFile> hostile_files();

// Writes both lists into dir, plus a directory named x.jpg; returns false when a write failed.
bool write_corpus(const QDir& dir);
