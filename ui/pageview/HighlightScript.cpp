// The highlight script; the passages go into it as a JSON array, never as code.
#include "HighlightScript.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
// The same elements and text PagePassages reads: paragraphs, items, rows and headings holding none
// of these, and divs and spans holding only text outside them; the browser has decoded the text.
// Trigger words are found as the rules find them: whole words, case insensitive, any spaces between
// the words of a phrase; each found one is wrapped in a bold mark, unwrapped again before the next.
const char* const Script = R"((function (texts, words) {
  // A document still being replaced or parsed: -1, nothing marked.
  if (!document.documentElement || document.readyState === 'loading')
    return -1;
  var wanted = new Set(texts);
  var structural = 'p,li,tr,h1,h2,h3,h4,h5,h6';
  document.querySelectorAll('.tkw-new').forEach(function (e) { e.classList.remove('tkw-new'); });
  document.querySelectorAll('b.tkw-trigger').forEach(function (b) {
    var parent = b.parentNode;
    parent.replaceChild(document.createTextNode(b.textContent), b);
    parent.normalize();
  });
  var trigger = null;
  if (words.length > 0) {
    var alternatives = words.slice().sort(function (a, b) { return b.length - a.length; }).map(function (w) {
      return w.replace(/[.*+?^${}()|[\]\\\/]/g, '\\$&').replace(/\s+/g, '\\s+');
    });
    var letter = '[\\p{L}\\p{M}\\p{N}_]';
    trigger = new RegExp('(?<!' + letter + ')(?:' + alternatives.join('|') + ')(?!' + letter + ')', 'giu');
  }
  function markWords(e) {
    var walker = document.createTreeWalker(e, NodeFilter.SHOW_TEXT);
    var nodes = [];
    while (walker.nextNode())
      nodes.push(walker.currentNode);
    nodes.forEach(function (node) {
      var text = node.nodeValue, at = 0, found, parts = document.createDocumentFragment();
      trigger.lastIndex = 0;
      while ((found = trigger.exec(text)) !== null) {
        parts.appendChild(document.createTextNode(text.slice(at, found.index)));
        var b = document.createElement('b');
        b.className = 'tkw-trigger';
        b.textContent = found[0];
        parts.appendChild(b);
        at = found.index + found[0].length;
      }
      if (at > 0) {
        parts.appendChild(document.createTextNode(text.slice(at)));
        node.parentNode.replaceChild(parts, node);
      }
    });
  }
  if (!document.getElementById('tkw-new-style')) {
    var style = document.createElement('style');
    style.id = 'tkw-new-style';
    // A row draws no border of its own where its table keeps the cells' borders apart: its
    // first cell takes the bar.
    style.textContent = '.tkw-new { background: #fff3b0 !important; border-left: 3px solid #e0a800 !important; } ' +
      'tr.tkw-new > :first-child { border-left: 3px solid #e0a800 !important; } ' +
      'b.tkw-trigger { font-weight: bold !important; background: #ffd24d !important; }';
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
      if (trigger)
        markWords(e);
      ++marked;
    }
  });
  return marked;
}))";
} // namespace

QString HighlightScript(const QStringList& Passages, const QStringList& Words)
{
    const QByteArray Texts =
        QJsonDocument(QJsonArray::fromStringList(Passages)).toJson(QJsonDocument::Compact);
    const QByteArray Triggers =
        QJsonDocument(QJsonArray::fromStringList(Words)).toJson(QJsonDocument::Compact);
    return QString::fromLatin1(Script) + QLatin1Char('(') + QString::fromUtf8(Texts) + QLatin1Char(',') +
           QString::fromUtf8(Triggers) + QStringLiteral(");");
}
