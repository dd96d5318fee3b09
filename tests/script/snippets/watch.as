// Watchers: called on every assignment, also of an equal value, before it returns; what
// they return is stored.
function w(prop, oldVal, newVal, userData) {
    trace(prop + ": " + oldVal + " -> " + newVal + " (" + userData + ", " + this + ")");
    return newVal;
}
trace(this.watch("Ff", w, 0));  //> true
Ff = "C:/a.flv";                //> Ff: undefined -> C:/a.flv (0, _level0)
Ff = "C:/a.flv";                //> Ff: C:/a.flv -> C:/a.flv (0, _level0)
this.Ff = "y";                  //> Ff: C:/a.flv -> y (0, _level0)
trace(Ff);                      //> y

this.watch("RTo", function (p, o, n, d) { return "w:" + n + d; }, "!");
RTo = "1";
trace(RTo);                     //> w:1!
this.watch("Vlm", function () {});
Vlm = "999";
trace(Vlm);                     //> undefined

// The watcher's own assignment does not call it again, and its return value wins.
depth = 0;
this.watch("x", function (p, o, n) {
    depth++;
    x = "inner";
    return n;
});
x = "outer";
trace(x + " " + depth);         //> outer 1
x = "again";
trace(depth);                   //> 2

// unwatch stops the calls; a watcher that is not a function is refused.
trace(this.unwatch("Ff"));      //> true
Ff = "2";
trace(this.watch("Ff", "not a function"));  //> false
Ff = "3";
trace(Ff);                      //> 3
