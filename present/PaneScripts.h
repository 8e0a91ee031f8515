#pragma once
// Scripts the panes add to every document they show.

#include <QString>
#include <QWebEngineScript>

// Hides the document's own scroll bars and stops native scrolling (wheel,
// keys, dragging); script scrolling still works. On generated pages it also
// centres the pictures in their frames. With `itemsOnDemand` (result
// pages, whose item boxes all have set heights) the items far outside the
// pane are laid out and painted only as they come near it. Runs in an
// isolated world.
QWebEngineScript ViewportScript(bool itemsOnDemand = false);

// Makes `click_url` the collection of anchors with that id, in document
// order, also when the page holds only one of them (the engine would name
// the single element instead). Runs in the page's own world, where the page
// scripts look the name up. Our own generated pages only.
QWebEngineScript AnchorCollectionScript();

// The helper scripts report through console messages: the token, the kind
// of report, then an address. They run in an isolated world, so a page can
// neither see the token nor fake a report.
inline constexpr char kLinkReport[] = "link ";
inline constexpr char kReadyReport[] = "ready ";
inline constexpr char kLoadedReport[] = "loaded ";

// Reports clicks on same-document links ("#03"), which the engine does not
// route through navigation requests, with the resolved address; the click's
// own navigation is stopped.
QWebEngineScript FragmentClickScript(const QString& token);

// Reports that a generated page has been parsed and its scripts have run
// (its layout no longer depends on pictures still loading), with the same
// two heights as MeasureDocumentSource and then its address:
// "ready <document height> <viewport height> <address>".
QWebEngineScript ReadyScript(const QString& token);

// A JavaScript string literal holding `text`, every character escaped.
QString JsStringLiteral(const QString& text);

// Returns [document height, viewport height]; -1 as height without a body.
QString MeasureDocumentSource();

// Replaces the shown document's content with `html` in place (the document,
// its address and its window stay), scrolls to the top, runs `hooks` (script
// source) again and returns what MeasureDocumentSource returns.
QString ReplaceDocumentSource(const QString& html, const QString& token, quint64 serial, const QString& hooks);

// A written page's pictures wait until it has been measured: `html` with
// every picture's source held in another attribute, and a script, run after
// the one that wrote the page, that starts them and reports "loaded <serial>"
// once every picture of the page has arrived or failed. The pictures within
// a pane's height of the shown part start at once, the others as the reader
// scrolls towards them or `farDelayMs` later, whichever comes first.
inline constexpr char kHeldPictureAttribute[] = "data-pallido-src";
QString HoldPictures(QString html);
QString StartPicturesSource(const QString& token, quint64 serial, int farDelayMs);

// The name under which the page process offers its script collector (see
// BrowserEngine), and a script that starts a full collection in the
// background where it is offered.
inline constexpr char kCollectorName[] = "pallidoCollectGarbage";
QString CollectGarbageSource();
