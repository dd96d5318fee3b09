// Frame 1 of the player movie.
//
// Hold the timeline here until the whole movie has arrived, then go on to frame 3, where the
// main script sets the player up. The main script's frame tick later replaces this check.

stop();

this.onEnterFrame = function () {
    if (_root._framesloaded == _root._totalframes && _root.getBytesLoaded() == _root.getBytesTotal()) {
        gotoAndStop(3);
    }
};
