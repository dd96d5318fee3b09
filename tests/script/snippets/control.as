// Branches, loops and where function declarations take effect.
if (1 > 2) trace("then"); else trace("else");   //> else

i = 0;
while (i < 10) {
    i++;
    if (i == 2) continue;
    if (i == 4) break;
    trace("while " + i);
}
//> while 1
//> while 3
trace("after " + i);            //> after 4

do {
    trace("do once");           //> do once
} while (false);

for (var k = 0; k < 3; k++) trace("for " + k);
//> for 0
//> for 1
//> for 2

// Declarations are defined before the code that uses them, even inside a block or a
// function.
trace(early());                 //> early
if (false) {
    function early() {
        return "early";
    }
}
function outer() {
    return inner();
    function inner() {
        return "inner";
    }
}
trace(outer());                 //> inner

function noValue() {
    return;
}
trace(noValue());               //> undefined
function fact(n) {
    return n <= 1 ? 1 : n * fact(n - 1);
}
trace(fact(10));                //> 3628800
function locals() {
    var j = 0;
    j++;
    j += 2;
    return j-- + j;
}
trace(locals());                //> 5
function store(v) {
    return holder.p = v;
}
holder = {};
trace(store(4) + holder.p);     //> 8
