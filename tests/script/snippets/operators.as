// Precedence, unary operators, assignments and literals.
trace(2 + 3 * 4 % 5 - 6 / 3);   //> 2
trace(-(2 + 3));                //> -5
trace(+"4" + 1);                //> 5
trace(~5);                      //> -6
trace(6 & 3 | 8 ^ 1);           //> 11
trace(1 << 4 >> 2);             //> 4

x = 1;
x += 2;
x *= 3;
trace(x);                       //> 9
i = 5;
trace(i++);                     //> 5
trace(i);                       //> 6
trace(--i);                     //> 5

// A compound assignment evaluates its object and key once.
calls = 0;
holder = {n: 1};
function box() {
    calls++;
    return holder;
}
box().n += 2;
trace(holder.n + " " + calls);  //> 3 1
function key() {
    calls++;
    return "n";
}
y = ++box()[key()];
trace(y + " " + holder.n + " " + calls);    //> 4 4 3

// Chained assignments share one value; members by dot and by bracket are the same.
a = {};
b = {};
a.x = b.y = "shared";
trace(a.x + b.y);               //> sharedshared
o = {a: 1, b: "x"};
o["k"] = 5;
trace(o.a + o.b + o.k);         //> 1x5
delete o.k;
trace(o.k);                     //> undefined
list = [1, 2, 3];
trace(list.length + " " + list);    //> 3 1,2,3
trace(new Array(3).length);     //> 3

s = "a\"b\\c\x41\u00e9\'";
trace(s + " " + s.length);      //> a"b\cAé' 8
