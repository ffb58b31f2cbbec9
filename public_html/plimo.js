// Tooltips and one-click actions of the programme table.
//   pjs_showTooltip(url, el)  fetch a description fragment ("?pd=...") and show it beside el
//   pjs_leave()               hide it again
//   etb_resv(url)             quick reservation: fetch url, show its one-line answer
//   nr(url)                   tune the remote-control server the same way
(function () {
  'use strict';

  var cache = {};
  var shownFor = null;   // the element the box belongs to
  var request = 0;       // answers to older requests are dropped
  var hideTimer = null;
  var messageTimer = null;

  function box(id) {
    var el = document.getElementById(id);
    if (!el) {
      el = document.createElement('div');
      el.id = id;
      document.body.appendChild(el);
    }
    return el;
  }

  function get(url, done) {
    var xhr = new XMLHttpRequest();
    xhr.open('GET', url, true);
    xhr.onreadystatechange = function () {
      if (xhr.readyState !== 4) return;
      done(xhr.status === 200 ? xhr.responseText : null, xhr.status);
    };
    xhr.send();
  }

  function place(tip, el) {
    var r = el.getBoundingClientRect();
    var left = r.left + window.pageXOffset;
    var top = r.bottom + window.pageYOffset + 4;
    var room = document.documentElement.clientWidth + window.pageXOffset - tip.offsetWidth - 8;
    if (left > room) left = Math.max(window.pageXOffset, room);
    tip.style.left = left + 'px';
    tip.style.top = top + 'px';
  }

  function show(html, el) {
    var tip = box('pjs_tip');
    tip.innerHTML = html;
    tip.className = 'pjs_show';
    place(tip, el);
  }

  window.pjs_showTooltip = function (url, el) {
    if (hideTimer) { clearTimeout(hideTimer); hideTimer = null; }
    shownFor = el;
    if (cache.hasOwnProperty(url)) { show(cache[url], el); return; }
    var mine = ++request;
    get(url, function (text) {
      if (text === null) return;
      cache[url] = text;
      if (mine === request && shownFor === el) show(text, el);
    });
  };

  window.pjs_leave = function () {
    shownFor = null;
    ++request;
    if (hideTimer) clearTimeout(hideTimer);
    hideTimer = setTimeout(function () {
      var tip = document.getElementById('pjs_tip');
      if (tip) tip.className = '';
    }, 100);
  };

  // The first line of a reply, without markup.
  function firstLine(text) {
    var holder = document.createElement('div');
    holder.innerHTML = text;
    var plain = (holder.textContent || '').replace(/^\s+/, '');
    return plain.split(/\r?\n/)[0];
  }

  function say(message) {
    var el = box('pjs_msg');
    el.textContent = message;
    el.className = 'pjs_show';
    if (messageTimer) clearTimeout(messageTimer);
    messageTimer = setTimeout(function () { el.className = ''; }, 5000);
  }

  function action(url) {
    say('...');
    get(url, function (text, status) {
      say(text === null ? 'error ' + status : firstLine(text));
    });
  }

  window.etb_resv = action;
  window.nr = action;
})();
