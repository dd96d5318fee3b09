// setTimeout and setInterval: due timers fire in time order, then in the order they were
// set, each in a turn of its own and never within the turn that set them.
function tracer(tag) {
    trace(tag + " at " + getTimer());
}
setTimeout(tracer, 100, "once");
setTimeout(tracer, 50, "a");
setTimeout(tracer, 20, "b");
setTimeout(tracer, 20, "c");
setTimeout(tracer, 1, "soon");
ticks = 0;
id = setInterval(function () {
    ticks++;
    tracer("tick " + ticks);
    if (ticks == 3) clearInterval(id);
}, 30);
o = {name: "o", m: function (v) { tracer(this.name + ".m(" + v + ")"); }};
setTimeout(o, "m", 25, "x");
cleared = setTimeout(tracer, 40, "cleared");
clearTimeout(cleared);
// A runaway timer ends its own turn only.
setTimeout(function () {
    while (true) {
    }
}, 5);
setTimeout(tracer, 5, "after the runaway");
trace(setTimeout("not a function", 10));    //> undefined
trace("set at " + getTimer());  //> set at 0
//> soon at 1
//> after the runaway at 5
//> b at 20
//> c at 20
//> o.m(x) at 25
//> tick 1 at 30
//> a at 50
//> tick 2 at 60
//> tick 3 at 90
//> once at 100
