// What values become as numbers, strings and booleans, as version 7 and later movies
// convert them.
trace(Number(undefined));       //> NaN
trace(Number(null));            //> NaN
trace(Number(true));            //> 1
trace(String(undefined));       //> undefined
trace(String(null));            //> null
trace(Boolean(""));             //> false
trace(Boolean("0"));            //> true
trace(Boolean(0 / 0));          //> false

// Arithmetic reads strings as numbers where they are numbers, else as NaN.
a = 5;
trace(a * 3);                   //> 15
trace(missing + 1);             //> NaN
trace("3" * "4");               //> 12
trace("12px" * 1);              //> NaN
trace(" 12" - 0);               //> 12
trace("0x1F" * 1);              //> 31
trace(7.5 % 2);                 //> 1.5
trace(-16 >>> 2);               //> 1073741820
trace(1 / 3);                   //> 0.333333333333333
trace(0.1 + 0.2);               //> 0.3

// + joins as soon as either side is a string.
trace("1" + 2);                 //> 12
trace(1 + 2);                   //> 3
trace(0.1 + "");                //> 0.1
trace(undefined + 1);           //> NaN
trace("x" + undefined);         //> xundefined
trace("n=" + 0.5);              //> n=0.5
trace([1, 2] + "");             //> 1,2

// Objects convert through valueOf and toString.
trace(_root);                   //> _level0
trace(typeof _root);            //> movieclip
o = {valueOf: function () { return 7; }};
trace(o * 1);                   //> 7
trace(o + 1);                   //> 8
trace(typeof function () {});   //> function
trace(typeof null);             //> null
trace(typeof {});               //> object
