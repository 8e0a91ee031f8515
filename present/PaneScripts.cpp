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

QWebEngineScript ViewportScript(bool itemsOnDemand)
{
    return MakeScript(QStringLiteral("pallido-viewport"), QWebEngineScript::ApplicationWorld,
                      QStringLiteral(R"JS((function (itemsOnDemand) {
  try {
    var sheet = new CSSStyleSheet();
    var rules = 'html { overflow: hidden !important; }' +
                '::-webkit-scrollbar { display: none !important; }';
    if (location.protocol === 'pallido:') {
      // The generated pages were laid out for an engine in which a block
      // with a set width or height never flows around floats (it keeps to
      // their side, or goes below them when there is no room): give those
      // blocks their own formatting context, as that engine did.
      rules += '.item, .li, .div_title, .div_credit { display: flow-root; }';
      // That engine also counted padding and border into a set width (the
      // pages carry no document type), so the list rows and the seller
      // entries fit their panes exactly.
      rules += '.item { box-sizing: border-box; }';
      // Its Chinese fonts also set lines closer than the ones here; the
      // fixed-size boxes of the pages were measured with those.
      rules += 'body { line-height: 1.2; }';
      // They centre their pictures with a trick of that engine (a paragraph
      // placed at 50% and a picture moved back by -50%); centre them plainly.
      rules += '.div_pic p { position: absolute; top: 0; left: 0; right: 0; bottom: 0; margin: 0;' +
               ' display: flex; align-items: center; justify-content: center; }' +
               '.div_pic img { position: static; }';
      if (itemsOnDemand) {
        // Every item box of the result pages has a set height, so an item
        // far from the shown part can wait to be laid out and painted until
        // it comes near, and the page keeps its height. What an item shows
        // beyond its box is still painted; the last row (up to twelve items)
        // is always laid out, so that it still counts into the page's height.
        rules += '.li { content-visibility: auto; overflow-clip-margin: 200px; }' +
                 'body > .li:nth-last-child(-n+12), body > .item:last-child > .li' +
                 ' { content-visibility: visible; }';
      }
    }
    sheet.replaceSync(rules);
    document.adoptedStyleSheets = document.adoptedStyleSheets.concat([sheet]);
  } catch (e) {}
})(%1);)JS").arg(itemsOnDemand ? QStringLiteral("true") : QStringLiteral("false")));
}

QWebEngineScript AnchorCollectionScript()
{
    return MakeScript(QStringLiteral("pallido-anchors"), QWebEngineScript::MainWorld,
                      QStringLiteral(R"JS((function () {
  // Only our own generated pages: a page from the publisher's server keeps
  // whatever it calls click_url.
  if (location.protocol !== 'pallido:') return;
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
  // Added again after the document is rewritten; never twice.
  if (window.pallidoFragmentClick) window.removeEventListener('click', window.pallidoFragmentClick, false);
  window.pallidoFragmentClick = function (e) {
    if (e.defaultPrevented || e.button !== 0) return;
    var a = e.target;
    while (a && !(a.nodeName === 'A' && a.hasAttribute('href'))) a = a.parentElement;
    if (!a) return;
    var target = a.getAttribute('target');
    if (target && target.toLowerCase() !== '_self') return;
    var href = a.href;
    if (href.indexOf('#') < 0 || withoutFragment(href) !== withoutFragment(location.href)) return;
    e.preventDefault();
    console.log(token + 'link ' + href);
  };
  window.addEventListener('click', window.pallidoFragmentClick, false);
})(%1);)JS").arg(JsStringLiteral(token)));
}

QWebEngineScript ReadyScript(const QString& token)
{
    QWebEngineScript script = MakeScript(QStringLiteral("pallido-ready"), QWebEngineScript::ApplicationWorld,
                                         QStringLiteral(R"JS((function (token) {
  if (location.protocol !== 'pallido:') return;
  var b = document.body, e = document.documentElement;
  var height = b ? Math.max(b.scrollHeight, e ? e.scrollHeight : 0) : -1;
  console.log(token + 'ready ' + height + ' ' + window.innerHeight + ' ' + location.href);
})(%1);)JS").arg(JsStringLiteral(token)));
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    return script;
}

QString MeasureDocumentSource()
{
    return QStringLiteral(R"JS((function () {
  var b = document.body, e = document.documentElement;
  return [b ? Math.max(b.scrollHeight, e ? e.scrollHeight : 0) : -1, window.innerHeight];
})();)JS");
}

QString JsStringLiteral(const QString& text)
{
    // Quotes, backslashes, line ends and other control characters are
    // escaped; everything else stands for itself (a page is long).
    static const char kHex[] = "0123456789abcdef";
    QString out;
    out.reserve(text.size() + text.size() / 8 + 2);
    out += QLatin1Char('\'');
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\'' || u == u'\\' || u < 0x20 || u == 0x7f || u == 0x2028 || u == 0x2029) {
            const char16_t digits[] = {u'\\', u'u', char16_t(kHex[(u >> 12) & 15]), char16_t(kHex[(u >> 8) & 15]),
                                       char16_t(kHex[(u >> 4) & 15]), char16_t(kHex[u & 15])};
            out.append(reinterpret_cast<const QChar*>(digits), 6);
        } else {
            out += c;
        }
    }
    return out + QLatin1Char('\'');
}

QString ReplaceDocumentSource(const QString& html, const QString& token, quint64 serial, const QString& hooks)
{
    // Writing into the document clears the listeners of its window, so the
    // hooks that listen there are added again.
    return QStringLiteral(R"JS((function (html, token, serial) {
  document.open();
  document.write(html);
  document.close();
  window.scrollTo(0, 0);
  %4
  var b = document.body, e = document.documentElement;
  return [b ? Math.max(b.scrollHeight, e ? e.scrollHeight : 0) : -1, window.innerHeight];
})(%1, %2, %3);)JS")
        .arg(JsStringLiteral(html), JsStringLiteral(token), QString::number(serial), hooks);
}

QString CollectGarbageSource()
{
    // The collector is reachable only under the name the engine was started
    // with; it runs concurrently and returns at once.
    return QStringLiteral("if (typeof %1 === 'function') %1({type: 'major', execution: 'async'});")
        .arg(QLatin1String(kCollectorName));
}

QString HoldPictures(QString html)
{
    // Our pages write every picture as `<img src="...`; the fields inside
    // them are escaped, so nothing else reads like that.
    return html.replace(QStringLiteral("<img src=\""),
                        QStringLiteral("<img %1=\"").arg(QLatin1String(kHeldPictureAttribute)));
}

QString StartPicturesSource(const QString& token, quint64 serial, int farDelayMs)
{
    return QStringLiteral(R"JS((function (token, serial, held, laterMs) {
  var pending = 1, later = [], timer = 0;
  function arrived() { if (--pending === 0) console.log(token + 'loaded ' + serial); }
  function listen(img) {
    img.addEventListener('load', arrived, { once: true });
    img.addEventListener('error', arrived, { once: true });
  }
  function start(img) {
    img.setAttribute('src', img.getAttribute(held));
    img.removeAttribute(held);
    if (img.complete) arrived(); else listen(img);
  }
  // Within a pane's height of what the pane shows; an item's own box stands
  // for its picture, whose place may not be laid out yet.
  function near(img) {
    var box = (img.closest('.li') || img).getBoundingClientRect();
    return box.top < 2 * innerHeight && box.bottom > -innerHeight;
  }
  function startNear(all) {
    later = later.filter(function (img) {
      if (!img.isConnected) return false;
      if (!all && !near(img)) return true;
      start(img);
      return false;
    });
    if (later.length) return;
    clearTimeout(timer);
    removeEventListener('scroll', onScroll);
  }
  function onScroll() { startNear(false); }
  Array.prototype.forEach.call(document.images, function (img) {
    if (img.hasAttribute(held)) {
      ++pending;
      later.push(img);
    } else if (!img.complete) {
      ++pending;
      listen(img);
    }
  });
  // The pictures near the shown part start now, the others as the reader
  // scrolls towards them or once the page has been shown for a moment: a
  // reader paging on quickly is not held up by pictures never looked at.
  startNear(false);
  if (later.length) {
    timer = setTimeout(function () { startNear(true); }, laterMs);
    addEventListener('scroll', onScroll);
  }
  arrived();
})(%1, %2, %3, %4);)JS")
        .arg(JsStringLiteral(token), QString::number(serial), JsStringLiteral(QLatin1String(kHeldPictureAttribute)),
             QString::number(farDelayMs));
}
