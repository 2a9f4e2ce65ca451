// fillintheblanks: a template and a value list (split at the first NUL).
// Markers are filled step by step, and the result stays within reach of what
// went in, however the fields name each other.
#include "FuzzWorld.h"

#include "Fillintheblanks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzWorld::instance();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = bytes.indexOf('\0');
    const QString templateText = QString::fromUtf8(split < 0 ? bytes : bytes.left(split));
    const QString values = split < 0 ? QString() : QString::fromUtf8(bytes.mid(split + 1));

    const QString filled = Fillintheblanks::fillintheblanks(templateText, values);
    fuzzCheck(filled.size() <= qMax(templateText.size(), Fillintheblanks::kMaximumLength), "the filled text grew without bound");
    if (!templateText.contains(u'\\'))
        fuzzCheck(filled == templateText, "a template without markers changed");
    if (!values.contains(u'\\') && !values.contains(u'|')) {
        QString once = templateText;
        once.replace(QStringLiteral("\\1"), values);
        fuzzCheck(filled == once, "a single field is not filled in everywhere");
    }
    return 0;
}
