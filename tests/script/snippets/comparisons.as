// Equality and order between values of different types.
trace("-1" == -1);              //> true
trace(1 == "1");                //> true
trace("1" == true);             //> true
trace("1.0" == "1");            //> false
trace("abc" == "abc");          //> true
trace(undefined == null);       //> true
trace(null == 0);               //> false
trace(undefined == "");         //> false
trace(NaN == NaN);              //> false
trace("1" === 1);               //> false
trace("1" !== 1);               //> true
trace(1 != "1");                //> false
o = {};
trace(o == o);                  //> true
trace(o == "[object Object]");  //> true

// Two strings are ordered as strings, anything else as numbers; NaN has no order, and <=
// and >= are the negation of > and <, as the player's own compiler writes them.
trace("10" < "9");              //> true
trace("10" < 9);                //> false
trace(1 < 2);                   //> true
trace("b" > "a");               //> true
trace(undefined < 2);           //> undefined
trace("a" < 2);                 //> undefined
trace(2 > undefined);           //> undefined
trace(undefined <= 2);          //> true
trace(undefined >= 2);          //> true
trace(3 >= 3);                  //> true

// && and || give one of their operands and run the right one only when it is needed.
function side(v) {
    trace("side " + v);
    return v;
}
trace(0 && side(1));            //> 0
trace(2 && side(3));            //> side 3
                                //> 3
trace("" || side("b"));         //> side b
                                //> b
trace("a" || side("b"));        //> a
trace(!0);                      //> true
trace(1 > 2 ? "yes" : "no");    //> no
