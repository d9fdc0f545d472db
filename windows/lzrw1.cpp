// SPDX-License-Identifier: MIT
#include "lzrw1.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

std::string text(const QString &s) { return s.toStdString(); }

class FileSource : public lzrw1kh::ByteSource {
public:
    FileSource(QFile &file, std::string errorText) : m_file(file), m_error(std::move(errorText)) {}
    std::size_t read(std::uint8_t *buf, std::size_t len) override
    {
        const qint64 n = m_file.read(reinterpret_cast<char *>(buf), qint64(len));
        if (n < 0)
            throw ELzrw1Exception(m_error);
        return std::size_t(n);
    }

private:
    QFile &m_file;
    std::string m_error;
};

class FileSink : public lzrw1kh::ByteSink {
public:
    FileSink(QSaveFile &file, std::string errorText) : m_file(file), m_error(std::move(errorText)) {}
    void write(const std::uint8_t *buf, std::size_t len) override
    {
        if (m_file.write(reinterpret_cast<const char *>(buf), qint64(len)) != qint64(len))
            throw ELzrw1Exception(m_error);
    }

private:
    QSaveFile &m_file;
    std::string m_error;
};

void openOutput(QSaveFile &out, const QString &name)
{
    // Never fall back to writing in place: that is what loses old files.
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to open output file : " + text(name));
}

void commitOutput(QSaveFile &out, const QString &name)
{
    if (!out.commit())
        throw ELzrw1Exception("Lzrw1 : Error writing to output file : " + text(name));
}

} // namespace

qint64 Tlzrw1::Compress()
{
    if (CompressMode == Good)
        throw ELzrw1Exception("Lzrw1 compression : the Good (LZH) mode is not available");

    const QFileInfo info(InputFile);
    if (!info.exists() || !info.isFile())
        throw ELzrw1Exception("Lzrw1 compression : Failed to obtain the size of : " + text(InputFile));
    QFile in(InputFile);
    if (!in.open(QIODevice::ReadOnly))
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to open input file : " + text(InputFile));
    const qint64 size = in.size();

    QSaveFile out(OutputFile);
    openOutput(out, OutputFile);
    FileSource source(in, "Lzrw1 : Error reading from input file : " + text(InputFile) + " (LZRW1/KH)");
    FileSink sink(out, "Lzrw1 : Error writing to output file : " + text(OutputFile));
    const std::uint64_t written = lzrw1kh::compress(source, std::uint64_t(size), sink, text(InputFile));
    commitOutput(out, OutputFile);
    return qint64(written);
}

qint64 Tlzrw1::Decompress()
{
    QFile in(InputFile);
    if (!in.open(QIODevice::ReadOnly))
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to open input file : " + text(InputFile));

    QSaveFile out(OutputFile);
    openOutput(out, OutputFile);
    FileSource source(in, "Lzrw1 : Error reading from input file : " + text(InputFile));
    FileSink sink(out, "Lzrw1 : Error writing to output file : " + text(OutputFile));
    const std::uint64_t written = lzrw1kh::decompress(source, sink, text(InputFile));
    commitOutput(out, OutputFile);
    return qint64(written);
}
