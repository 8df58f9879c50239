// Every message the program marks for translation has its Portuguese
// translation, with the same placeholders: the marked sources are read with
// the translation tools themselves and compared with the catalogue.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <map>
#include <utility>

namespace {

using Key = std::pair<QString, QString>;  // context, source
struct Entry {
  QString translation;
  bool finished = false;
};

std::map<Key, Entry> readCatalogue(const QString& path) {
  std::map<Key, Entry> out;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return out;
  QXmlStreamReader x(&f);
  QString context, source;
  while (!x.atEnd()) {
    if (x.readNext() != QXmlStreamReader::StartElement) continue;
    if (x.name() == QLatin1String("name")) {
      context = x.readElementText();
    } else if (x.name() == QLatin1String("source")) {
      source = x.readElementText();
    } else if (x.name() == QLatin1String("translation")) {
      const QString type = x.attributes().value(QLatin1String("type")).toString();
      Entry e;
      e.finished = type.isEmpty();
      e.translation = x.readElementText();
      out[{context, source}] = e;
    }
  }
  EXPECT_FALSE(x.hasError()) << path.toStdString() << ": " << x.errorString().toStdString();
  return out;
}

QStringList placeholders(const QString& s) {
  QStringList out;
  static const QRegularExpression re(QStringLiteral("%[1-9]"));
  for (auto it = re.globalMatch(s); it.hasNext();) out << it.next().captured();
  out.sort();
  out.removeDuplicates();
  return out;
}

TEST(Translations, EveryMarkedMessageHasAPortugueseTranslation) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString fresh = dir.filePath(QStringLiteral("marked_pt_BR.ts"));
  QStringList args = QString::fromUtf8(VKZ_LUPDATE_OPTIONS).split(QLatin1Char(' '));
  args << QStringLiteral(VKZ_SOURCE_DIR "/src") << QStringLiteral("-ts") << fresh;
  QProcess lupdate;
  lupdate.start(QStringLiteral(VKZ_LUPDATE), args);
  ASSERT_TRUE(lupdate.waitForFinished(120000)) << lupdate.errorString().toStdString();
  ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();

  const auto marked = readCatalogue(fresh);
  const auto catalogue = readCatalogue(QStringLiteral(VKZ_CATALOGUE));
  ASSERT_GT(marked.size(), 50u);  // the marker is found at all
  for (const auto& [key, unused] : marked) {
    const std::string where = key.first.toStdString() + ": \"" + key.second.toStdString() + "\"";
    const auto it = catalogue.find(key);
    if (it == catalogue.end()) {
      ADD_FAILURE() << where << " is not in the catalogue (build the target vkz_lupdate, then translate it)";
      continue;
    }
    EXPECT_TRUE(it->second.finished && !it->second.translation.isEmpty()) << where << " has no translation";
    EXPECT_EQ(placeholders(it->second.translation), placeholders(key.second))
        << where << " is translated with other placeholders";
  }
}

}  // namespace
