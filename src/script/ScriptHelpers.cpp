#include "script/ScriptHelpers.h"

#include "html/HtmlText.h"
#include "script/HtmlDocumentCache.h"

#include <QJSEngine>
#include <QJSValue>
#include <QObject>
#include <QUrl>

#include <exception>
#include <new>
#include <string>

namespace {

// Scripts call the helpers through these wrappers: the object behind them stays
// out of their reach, and their arguments arrive as strings.
const QString Wrappers = QStringLiteral(R"((function (helpers) {
  function Text(value) { return value === undefined || value === null ? "" : String(value); }
  return {
    DecodeHtml: function (text) { return helpers.decodeHtml(Text(text)); },
    HtmlText: function (html) { return helpers.htmlText(Text(html)); },
    QueryHtml: function (html, xpath) { return helpers.queryHtml(Text(html), Text(xpath)); },
    ResolveUrl: function (base, url) { return helpers.resolveUrl(Text(base), Text(url)); }
  };
}))");
const QString WrappersFileName = QStringLiteral("tocwerk-helpers");

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class ScriptHelpers : public QObject {
  Q_OBJECT

public:
  explicit ScriptHelpers(QJSEngine& engine) : QObject(&engine), Engine(engine) {}

  Q_INVOKABLE QString decodeHtml(const QString& text) const { return FromUtf8(DecodeHtml(text.toStdString())); }

  Q_INVOKABLE QString htmlText(const QString& html) {
    QString text;
    Guarded(u"HtmlText", [&] { text = FromUtf8(Documents.Get(html).Text()); });
    return text;
  }

  Q_INVOKABLE QJSValue queryHtml(const QString& html, const QString& xpath) {
    QJSValue found;
    Guarded(u"QueryHtml", [&] {
      const std::vector<HtmlMatch> matches = Documents.Get(html).Query(xpath.toStdString());
      found = Engine.newArray(static_cast<uint>(matches.size()));
      for (size_t i = 0; i < matches.size(); ++i)
        found.setProperty(static_cast<quint32>(i), ToScript(matches[i]));
    });
    return found;
  }

  Q_INVOKABLE QString resolveUrl(const QString& base, const QString& url) const {
    const QUrl baseUrl(base);
    const QUrl relative(url);
    // An empty reference is valid: it names the base.
    if (!baseUrl.isValid() || baseUrl.isRelative() || (!url.isEmpty() && !relative.isValid()))
      return QString();
    return baseUrl.resolved(relative).toString(QUrl::FullyEncoded);
  }

private:
  // libxml2's failures become script errors; C++ exceptions must not cross the engine.
  template <typename Work>
  void Guarded(QStringView function, Work work) {
    try {
      work();
    } catch (const std::bad_alloc&) {
      Engine.throwError(QJSValue::RangeError, function + u": out of memory");
    } catch (const std::exception& error) {
      Engine.throwError(function + u": " + QString::fromUtf8(error.what()));
    }
  }

  QJSValue ToScript(const HtmlMatch& match) {
    QJSValue attributes = Engine.newObject();
    for (const auto& [name, value] : match.Attributes)
      attributes.setProperty(FromUtf8(name), FromUtf8(value));
    QJSValue object = Engine.newObject();
    object.setProperty(QStringLiteral("name"), FromUtf8(match.Name));
    object.setProperty(QStringLiteral("text"), FromUtf8(match.Text));
    object.setProperty(QStringLiteral("html"), FromUtf8(match.Html));
    object.setProperty(QStringLiteral("attributes"), attributes);
    return object;
  }

  QJSEngine& Engine;
  HtmlDocumentCache Documents;
};

} // namespace

void InstallScriptHelpers(QJSEngine& engine) {
  const QJSValue functions =
      engine.evaluate(Wrappers, WrappersFileName).call({engine.newQObject(new ScriptHelpers(engine))});
  QJSValue global = engine.globalObject();
  for (const QString& name : {QStringLiteral("DecodeHtml"), QStringLiteral("HtmlText"), QStringLiteral("QueryHtml"),
                              QStringLiteral("ResolveUrl")})
    global.setProperty(name, functions.property(name));
}

#include "ScriptHelpers.moc"
