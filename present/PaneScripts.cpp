#include "PaneScripts.h"

namespace {

QWebEngineScript MakeScript(const QString& name, quint32 world, const QString& source)
{
    QWebEngineScript script;
    script.setName(name);
    script.setWorldId(world);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(source);
    return script;
}

} // namespace

QWebEngineScript ViewportScript()
{
    return MakeScript(QStringLiteral("pallido-viewport"), QWebEngineScript::ApplicationWorld,
                      QStringLiteral(R"JS((function () {
  try {
    var sheet = new CSSStyleSheet();
    var rules = 'html { overflow: hidden !important; }' +
                '::-webkit-scrollbar { display: none !important; }';
    if (location.protocol === 'pallido:') {
      // The generated pages centre their pictures with an old trick (an
      // absolute paragraph at 50% and a relative picture at -50%) that this
      // engine lays out differently; centre them the plain way instead.
      rules += '.div_pic p { position: absolute; top: 0; left: 0; right: 0; bottom: 0; margin: 0;' +
               ' display: flex; align-items: center; justify-content: center; }' +
               '.div_pic img { position: static; }';
    }
    sheet.replaceSync(rules);
    document.adoptedStyleSheets = document.adoptedStyleSheets.concat([sheet]);
  } catch (e) {}
})();)JS"));
}

QWebEngineScript AnchorCollectionScript()
{
    return MakeScript(QStringLiteral("pallido-anchors"), QWebEngineScript::MainWorld,
                      QStringLiteral(R"JS((function () {
  try {
    Object.defineProperty(window, 'click_url', {
      configurable: true,
      get: function () { return document.querySelectorAll('a[id="click_url"]'); }
    });
  } catch (e) {}
})();)JS"));
}

QWebEngineScript FragmentClickScript(const QString& token)
{
    return MakeScript(QStringLiteral("pallido-fragments"), QWebEngineScript::ApplicationWorld,
                      QStringLiteral(R"JS((function (token) {
  function withoutFragment(u) { var i = u.indexOf('#'); return i < 0 ? u : u.substring(0, i); }
  window.addEventListener('click', function (e) {
    if (e.defaultPrevented || e.button !== 0) return;
    var a = e.target;
    while (a && !(a.nodeName === 'A' && a.hasAttribute('href'))) a = a.parentElement;
    if (!a) return;
    var target = a.getAttribute('target');
    if (target && target.toLowerCase() !== '_self') return;
    var href = a.href;
    if (href.indexOf('#') < 0 || withoutFragment(href) !== withoutFragment(location.href)) return;
    e.preventDefault();
    console.log(token + href);
  }, false);
})(%1);)JS").arg(JsStringLiteral(token)));
}

QString MeasureDocumentSource()
{
    return QStringLiteral(R"JS((function () {
  var b = document.body, e = document.documentElement;
  if (!b) return [-1, window.innerHeight];
  return [Math.max(b.scrollHeight, e ? e.scrollHeight : 0), window.innerHeight];
})();)JS");
}

QString JsStringLiteral(const QString& text)
{
    QString out = QStringLiteral("'");
    for (const QChar c : text)
        out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    return out + QLatin1Char('\'');
}
