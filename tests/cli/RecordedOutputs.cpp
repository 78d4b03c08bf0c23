#include "cli/RecordedOutputs.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void WriteText(const QString& path, const QString& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(text.toUtf8());
}

}  // namespace

QString RunTranscript(const TToolRun& run) {
    return run.Out.join(QLatin1Char('\n')) + QStringLiteral("\n## standard error\n") + run.Err +
           QStringLiteral("## exit status %1\n").arg(run.ExitCode);
}

QString WithBlobsDigested(const QString& text, const QString& blob, const QString& prefix) {
    const QRegularExpression pattern(blob);
    QString digested;
    qsizetype last = 0;
    for (auto match = pattern.globalMatch(text); match.hasNext();) {
        const QRegularExpressionMatch value = match.next();
        digested += text.mid(last, value.capturedStart() - last) + prefix + QStringLiteral("sha1:") +
                    QString::fromLatin1(QCryptographicHash::hash(value.captured(1).toLatin1(), QCryptographicHash::Sha1).toHex()) +
                    QLatin1Char('\'');
        last = value.capturedEnd();
    }
    return digested + text.mid(last);
}

QString LogWithoutTimes(const QString& path) {
    static const QRegularExpression stamp(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d\\.\\d{3}: "),
                                          QRegularExpression::MultilineOption);
    return ReadText(path).remove(QLatin1Char('\r')).remove(stamp);
}

void ExpectRecorded(const QDir& expected, const QString& prefix, const QVector<std::pair<QString, QString>>& actual,
                    bool recording) {
    for (const auto& [suffix, text] : actual) {
        const QString path = expected.filePath(prefix + suffix);
        if (recording) WriteText(path, text);
        EXPECT_EQ(text.toStdString(), ReadText(path).toStdString()) << path.toStdString();
    }
}
