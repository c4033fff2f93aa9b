// The highlight script; the passages go into it as a JSON array, never as code.
#include "HighlightScript.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
// The same elements and text PagePassages reads: paragraphs, items, rows and headings holding none
// of these, and divs and spans holding only text outside them; the browser has decoded the text.
const char* const Script = R"((function (texts) {
  // A document still being replaced or parsed: -1, nothing marked.
  if (!document.documentElement || document.readyState === 'loading')
    return -1;
  var wanted = new Set(texts);
  var structural = 'p,li,tr,h1,h2,h3,h4,h5,h6';
  document.querySelectorAll('.tkw-new').forEach(function (e) { e.classList.remove('tkw-new'); });
  if (!document.getElementById('tkw-new-style')) {
    var style = document.createElement('style');
    style.id = 'tkw-new-style';
    // A row draws no border of its own where its table keeps the cells' borders apart: its
    // first cell takes the bar.
    style.textContent = '.tkw-new { background: #fff3b0 !important; border-left: 3px solid #e0a800 !important; } ' +
      'tr.tkw-new > :first-child { border-left: 3px solid #e0a800 !important; }';
    (document.head || document.documentElement).appendChild(style);
  }
  if (wanted.size === 0)
    return 0;
  // The text a block shows: its text nodes outside scripts and style sheets.
  function text(e) {
    if (!e.querySelector('script,style'))
      return e.textContent;
    var shown = '';
    var walker = document.createTreeWalker(e, NodeFilter.SHOW_TEXT);
    for (var node = walker.nextNode(); node; node = walker.nextNode())
      if (!node.parentElement.closest('script,style'))
        shown += node.data;
    return shown;
  }
  var marked = 0;
  document.querySelectorAll(structural + ',div,span').forEach(function (e) {
    var loose = e.tagName === 'DIV' || e.tagName === 'SPAN';
    if (loose ? e.childElementCount > 0 || (e.parentElement && e.parentElement.closest(structural))
              : e.querySelector(structural))
      return;
    if (wanted.has(text(e).replace(/\s+/g, ' ').trim())) {
      e.classList.add('tkw-new');
      ++marked;
    }
  });
  return marked;
}))";
} // namespace

QString HighlightScript(const QStringList& Passages)
{
    const QByteArray Texts =
        QJsonDocument(QJsonArray::fromStringList(Passages)).toJson(QJsonDocument::Compact);
    return QString::fromLatin1(Script) + QLatin1Char('(') + QString::fromUtf8(Texts) + QStringLiteral(");");
}
