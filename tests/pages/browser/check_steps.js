// The step runner of the scenario check pages. The page pushes its steps;
// each runs when the frame has loaded the page the step before led to. The
// report goes into #result as "key=value" lines, "done=1" last; an
// exception ends the run and is reported as "exception".
function checkSteps(frame) {
  var out = [];
  var run = { steps: [] };
  run.put = function (key, value) { out.push(key + '=' + value); };
  run.doc = function () { return frame.contentDocument; };
  run.finish = function () { document.getElementById('result').textContent = out.join('\n') + '\ndone=1'; };
  run.next = function () {
    var step = run.steps.shift();
    if (!step) { run.finish(); return; }
    try { step(); } catch (e) { run.put('exception', e.message); run.finish(); }
  };
  // The hit count a search page shows; -1 when it shows none.
  run.hits = function () {
    var m = /ヒット数：(\d+)/.exec(run.doc().body.textContent);
    return m ? m[1] : -1;
  };
  frame.onload = run.next;
  return run;
}
