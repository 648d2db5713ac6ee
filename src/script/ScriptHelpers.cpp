#include "script/ScriptHelpers.h"

#include "html/HtmlText.h"
#include "script/HtmlDocumentCache.h"

#include <QJSEngine>
#include <QJSValue>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <exception>
#include <new>
#include <string>

namespace {

// Scripts call the helpers through these wrappers: the object behind them stays
// out of their reach, and their arguments arrive as strings. Matches come over as
// one flat list (name, text, html, number of attributes, then each attribute's
// name and value), since object literals cost a script a fraction of what building
// each object through QJSValue costs.
const QString Wrappers = QStringLiteral(R"((function (helpers) {
  function Text(value) { return value === undefined || value === null ? "" : String(value); }
  return {
    DecodeHtml: function (text) { return helpers.decodeHtml(Text(text)); },
    HtmlText: function (html) { return helpers.htmlText(Text(html)); },
    QueryHtml: function (html, xpath) {
      var fields = helpers.queryHtml(Text(html), Text(xpath));
      var found = [];
      for (var at = 0; at < fields.length;) {
        var match = { name: fields[at], text: fields[at + 1], html: fields[at + 2], attributes: {} };
        var end = at + 4 + 2 * fields[at + 3];
        for (at += 4; at < end; at += 2)
          match.attributes[fields[at]] = fields[at + 1];
        found.push(match);
      }
      return found;
    },
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

  Q_INVOKABLE QString decodeHtml(const QString& text) {
    QString decoded;
    Guarded(QStringLiteral("DecodeHtml"), [&] { decoded = FromUtf8(DecodeHtml(text.toStdString())); });
    return decoded;
  }

  Q_INVOKABLE QString htmlText(const QString& html) {
    QString text;
    Guarded(QStringLiteral("HtmlText"), [&] { text = FromUtf8(Documents.Get(html).Text()); });
    return text;
  }

  Q_INVOKABLE QStringList queryHtml(const QString& html, const QString& xpath) {
    QStringList fields;
    Guarded(QStringLiteral("QueryHtml"), [&] {
      for (const HtmlMatch& match : Documents.Get(html).Query(xpath.toStdString())) {
        fields << FromUtf8(match.Name) << FromUtf8(match.Text) << FromUtf8(match.Html)
               << QString::number(match.Attributes.size());
        for (const auto& [name, value] : match.Attributes)
          fields << FromUtf8(name) << FromUtf8(value);
      }
    });
    return fields;
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
  void Guarded(const QString& function, Work work) {
    try {
      work();
    } catch (const std::bad_alloc&) {
      Engine.throwError(QJSValue::RangeError, function + u": out of memory");
    } catch (const std::exception& error) {
      Engine.throwError(function + u": " + QString::fromUtf8(error.what()));
    }
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
