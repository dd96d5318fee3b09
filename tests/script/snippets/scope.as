// Where names are found: timelines, _root, _global, function locals, closures, `this`.
trace(this);                    //> _level0
mc.v = 3;
trace(_root.mc.v);              //> 3
trace("[" + mc._parent._name + "]");    //> []
_global.g = 5;
trace(g);                       //> 5
trace(_root.hasOwnProperty("g"));   //> false

// `var` in a function makes a local; an undeclared assignment lands on the timeline.
function f() {
    made = 1;
    var local = 2;
}
f();
trace(made + " " + local);      //> 1 undefined
var top = 1;
var declared;
trace(_root.top + " " + declared);  //> 1 undefined

// Each closure keeps its own variables.
function makeCounter() {
    var n = 0;
    return function () {
        n++;
        return n;
    };
}
c = makeCounter();
c2 = makeCounter();
c();
trace(c() + " " + c2() + " " + n);  //> 2 1 undefined

// Methods see their object as `this`; constructors build on their prototype.
function P(x) {
    this.x = x;
}
P.prototype.twice = function () {
    return this.x * 2;
};
p = new P(21);
trace(p.twice());               //> 42
lib = {B: P};
trace(new lib.B(5).x);          //> 5
trace(p instanceof P);          //> true
trace(p.__proto__ == P.prototype);  //> true
o = {k: 7, m: function () { return this.k; }};
trace(o.m());                   //> 7

// arguments holds every value passed; call and apply choose `this`.
function count(a) {
    return arguments.length;
}
trace(count(1, 2, 3));          //> 3
function pair(a, b) {
    return a + "," + b;
}
trace(pair(1, "s"));            //> 1,s
function sum(a, b) {
    return this.base + a + b;
}
base = 100;
self = {base: 1};
trace(sum(1, 2));               //> 103
trace(sum.call(self, 2, 3));    //> 6
trace(sum.apply(self, [10, 20]));   //> 31

// Inside a function, this, _root, _parent and _global are the caller's object and the
// function's timeline.
function where() {
    return this + " " + _root + " " + _parent + " " + typeof _global;
}
mc.where = where;
trace(where());                 //> _level0 _level0 undefined object
trace(mc.where());              //> _level0.mc _level0 undefined object
