// Frame 3 of the player movie: the player itself.
//
// Runs once, when the timeline first reaches this frame, and sets everything up. From then
// on the movie lives on events: the host assigns "Ff" (file), "RTo" (rotation code) and
// "Vlm" (volume code), which the watchers at the end pass on; the stream reports its status
// and metadata; the frame tick moves the seek knob and fades the panel; the stage reports
// resizes; the panel takes presses. All shared state is kept on this timeline (_root).

// ---------------------------------------------------------------------------------------
// Start-up
// ---------------------------------------------------------------------------------------

// Seek scale: the knob runs from x = unk_number to Stage.width - unk_number2 + unk_number.
// The time display stands timer_right_offset pixels left of the right edge.
unk_number = 40;
unk_number2 = 190;
timer_right_offset = 130;

// The stage is the window: no scaling, origin at the top-left corner.
Stage.scaleMode = "noScale";
Stage.align = "TL";

vidscale = 1.33;
fadedelay = 120;
vidplayer.player.smoothing = true;

fName = "";
Rpt = "0";
flv_width = 0;
flv_height = 0;

// A connection to nothing lets the stream open local files by their path.
nc = new NetConnection();
nc.connect(null);
ns = new NetStream(nc);
vidplayer.player.attachVideo(ns);

// The stream's sound goes through an empty clip of its own, so that it has a volume.
this.createEmptyMovieClip("snd", this.getNextHighestDepth());
snd.attachAudio(ns);
audio = new Sound(snd);

oldMute = controlpanel.volumecontrol.volumeslider._x;
FRotation = 0;
// The panel stays invisible until the pointer or a volume change first wakes it.
controlpanel._alpha = 0;

ns.onStatus = function (infoObject) {
    // At the end of the file, with repeat on, play it again, but not from inside the
    // stream's own report: a timer of 1 ms does it in a turn of its own.
    if (infoObject.code == "NetStream.Play.Stop" && Rpt == "1") {
        setTimeout(PlayMyMovie, 1, fName);
    }
    if (infoObject.code == "NetStream.Play.StreamNotFound") {
        vidplayer.player.clear();
    }
};

ns.onMetaData = function (obj) {
    totaltime = obj.duration;
    var w = obj.width;
    var h = obj.height;
    var vs;
    if (w != 0 && h != 0) {
        vs = w / h;
    } else {
        vs = 0.75;
    }
    // Turned a quarter, the picture stands upright: its ratio is that of the turn.
    if (FRotation == -1 || FRotation == 1) {
        vidscale = 0.75;
    } else {
        vidscale = vs;
    }
    if (obj.width != undefined) {
        flv_width = Math.round(w);
    }
    if (obj.height != undefined) {
        flv_height = Math.round(h);
    }
    setObjects();
};

resizeListener = new Object();
resizeListener.onResize = function () {
    setObjects();
};
setObjects();
controlpanel.slider._x = controlpanel.sliderpassedtime._x + 3;
Stage.addListener(resizeListener);

slidingposition = false;

// The frame tick, 30 times a second. It takes over from frame 1's loading check.
this.onEnterFrame = function () {
    // A pointer moving over the panel (along both axes) wakes it.
    if (controlpanel.hitTest(_root._xmouse, _root._ymouse, false) && _root._xmouse != LastXMouse
        && _root._ymouse != LastYMouse) {
        MyMouseMove();
    }

    fadedelay--;
    if (fadedelay <= 0) {
        controlpanel._alpha = Math.max(0, controlpanel._alpha - 5);
    }

    if (!slidingposition) {
        var knobx = unk_number + (ns.time / totaltime) * (Stage.width - unk_number2);
        // Without a duration there is no position to show: the knob stays where it is.
        // A duration of 0 gives no position either, rather than a knob flung off the stage.
        if (!isNaN(knobx) && totaltime != 0) {
            controlpanel.slider._x = knobx;
        }
    } else {
        // While the knob is dragged, the picture follows it.
        var seekpercent = (controlpanel.slider._x - unk_number) / (Stage.width - unk_number2);
        ns.seek(seekpercent * totaltime);
    }

    controlpanel.sliderpassedtime._width = controlpanel.slider._x - controlpanel.sliderpassedtime._x;

    controlpanel.timer.seek_time = formattime(ns.time);
    if (isNaN(totaltime)) {
        controlpanel.timer.seek_total_time = "--:--";
    } else {
        controlpanel.timer.seek_total_time = formattime(totaltime);
    }
};

// The panel's presses.
controlpanel.playpause.onPress = toggleplaypause;

controlpanel.seektotime.onPress = function () {
    var pct = ((_root._xmouse - unk_number) / controlpanel.seektotime._width) * totaltime;
    if (pct > totaltime) {
        pct = totaltime;
    }
    ns.seek(pct);
};

controlpanel.slider.onPress = function () {
    slidingposition = true;
    controlpanel.slider.startDrag(true, unk_number, controlpanel.slider._y,
                                  controlpanel.seektotime._x + controlpanel.seektotime._width,
                                  controlpanel.slider._y);
    ns.pause(true);
    controlpanel.playpause.gotoAndStop(2);
};

// Letting go of the knob, over it or elsewhere, seeks there and plays.
controlpanel.slider.onRelease = controlpanel.slider.onReleaseOutside = function () {
    slidingposition = false;
    controlpanel.slider.stopDrag();
    var seekpercent = (controlpanel.slider._x - unk_number) / (Stage.width - unk_number2);
    ns.pause(false);
    controlpanel.playpause.gotoAndStop(1);
    var pct = seekpercent * totaltime;
    if (pct > totaltime) {
        pct = totaltime;
    }
    ns.seek(pct);
};

controlpanel.volumecontrol.onPress = function () {
    controlpanel.volumecontrol.volumeslider.startDrag(true, -25, 0, 30, 0);
};

// The volume changes only when the level marker is let go.
controlpanel.volumecontrol.onRelease = controlpanel.volumecontrol.onReleaseOutside = function () {
    controlpanel.volumecontrol.volumeslider.stopDrag();
    updatevolume();
};

// The host's variables. Each watcher acts, then lets the assignment through.
this.watch("Ff", FLVFileWatcher, 0);
this.watch("RTo", RotateWatcher, 0);
this.watch("Vlm", VolumeWatcher, 0);

// ---------------------------------------------------------------------------------------
// Watchers
// ---------------------------------------------------------------------------------------

function FLVFileWatcher(prop, oldVal, newVal, userData) {
    PlayMyMovie(newVal);
    return newVal;
}

function RotateWatcher(prop, oldVal, newVal, userData) {
    FRotation = newVal;
    Rotate(newVal);
    return newVal;
}

function VolumeWatcher(prop, oldVal, newVal, userData) {
    SetVolume(newVal);
    return newVal;
}

// ---------------------------------------------------------------------------------------
// Playback
// ---------------------------------------------------------------------------------------

// Opens and plays FileName from the start; an empty name stops and blanks the picture.
function PlayMyMovie(FileName) {
    flv_width = 0;
    flv_height = 0;
    fName = FileName;
    if (FileName != "") {
        vidplayer._visible = false;
        ns.play(FileName);
        // Until the metadata tells the picture's size, it covers the stage.
        vidplayer._x = 0;
        vidplayer._width = Stage.width;
        vidplayer._yscale = 100;
        vidplayer._height = Stage.height;
        vidplayer._y = 0;
        setObjects();
        vidplayer._visible = true;
    } else {
        vidplayer._visible = false;
        ns.close();
        vidplayer.player.clear();
    }
}

// ---------------------------------------------------------------------------------------
// Layout and rotation
// ---------------------------------------------------------------------------------------

// Fits the picture into the stage at its ratio, and docks and stretches the panel.
function setObjects() {
    if (flv_width == 0 || flv_height == 0) {
        vidplayer._width = Stage.width;
        vidplayer._height = Stage.height;
    } else if (vidscale > Stage.width / Stage.height) {
        // Wider than the stage: bars above and below.
        vidplayer._x = 0;
        vidplayer._width = Stage.width;
        vidplayer._height = Stage.width / vidscale;
        vidplayer._y = (Stage.height - vidplayer._height) / 2;
    } else {
        // Narrower (or just as wide): bars left and right.
        vidplayer._y = 0;
        vidplayer._height = Stage.height;
        vidplayer._width = Stage.height * vidscale;
        vidplayer._x = (Stage.width - vidplayer._width) / 2;
    }

    controlpanel.sliderpassedtime._width = controlpanel.slider._x - controlpanel.sliderpassedtime._x;

    // The panel sits on the bottom edge; what follows is in the panel's own units.
    controlpanel._y = Stage.height - controlpanel._height;
    controlpanel.main_bg._x = 0;
    controlpanel.main_bg._width = Stage.width;
    controlpanel.timer._x = Stage.width - timer_right_offset;
    controlpanel.mrdiv._x = controlpanel.timer._x + 70;
    controlpanel.volumecontrol._x = controlpanel.mrdiv._x + 10;
    controlpanel.sliderbackground._width = Stage.width - 175;
    controlpanel.seektotime._width = Stage.width - 178;

    // Too narrow for a seek scale; narrower still, for the time display.
    if (Stage.width < 200) {
        controlpanel.seektotime._visible = false;
        controlpanel.sliderpassedtime._visible = false;
        controlpanel.slider._visible = false;
        controlpanel.sliderbackground._visible = false;
    } else {
        controlpanel.seektotime._visible = true;
        controlpanel.sliderpassedtime._visible = true;
        controlpanel.slider._visible = true;
        controlpanel.sliderbackground._visible = true;
    }
    if (Stage.width < 150) {
        controlpanel.timer._visible = false;
    } else {
        controlpanel.timer._visible = true;
    }

    vidplayer._visible = true;
}

// Turns the picture in quarter turns. The surface turns about its top-left corner and is
// then shifted so that its turned box starts at the container's origin again.
function Rotate(ADegree) {
    if (ADegree == "-1") {
        vidplayer.player._rotation = -90;
        vidplayer.player._x = 0;
        vidplayer.player._y = vidplayer.player._height;
        vidscale = 0.75;
    }
    if (ADegree == "0") {
        vidplayer.player._rotation = 0;
        vidplayer.player._x = 0;
        vidplayer.player._y = 0;
        vidscale = 1.33;
    }
    if (ADegree == "2") {
        vidplayer.player._rotation = 180;
        vidplayer.player._x = vidplayer.player._width;
        vidplayer.player._y = vidplayer.player._height;
        vidscale = 1.33;
    }
    if (ADegree == "1") {
        vidplayer.player._rotation = 90;
        vidplayer.player._x = vidplayer.player._width;
        vidplayer.player._y = 0;
        vidscale = 0.75;
    }
    setObjects();
}

// ---------------------------------------------------------------------------------------
// Control panel
// ---------------------------------------------------------------------------------------

// Wakes the panel: fully opaque, fading again 45 ticks from now.
function MyMouseMove() {
    fadedelay = 45;
    controlpanel._alpha = 100;
    LastXMouse = _root._xmouse;
    LastYMouse = _root._ymouse;
}

// Pauses or resumes. At the end of the file (or without a duration) it goes back to the
// start and plays on: the two toggles cancel and the button keeps showing "playing".
function toggleplaypause() {
    if (controlpanel.playpause._currentframe == 1) {
        if (ns.time < totaltime) {
            controlpanel.playpause.gotoAndStop(2);
        } else {
            ns.seek(0);
            ns.pause();
        }
    } else if (controlpanel.playpause._currentframe == 2) {
        controlpanel.playpause.gotoAndStop(1);
    }
    ns.pause();
}

// Seconds as "mm:ss"; minutes are not split into hours.
function formattime(intime) {
    var minutes = Math.floor(intime / 60);
    var text = "";
    if (minutes < 10) {
        text = "0";
    }
    text += minutes + ":";
    var seconds = intime % 60;
    if (seconds < 10) {
        text += "0";
    }
    text += Math.floor(seconds);
    return text;
}

// The level is four times the marker's place, 0 to 100. The last place above 0 is kept
// for unmuting.
function updatevolume() {
    var newvolume = Math.min(100, Math.max(0, controlpanel.volumecontrol.volumeslider._x * 4));
    audio.setVolume(newvolume);
    if (controlpanel.volumecontrol.volumeslider._x > 0) {
        oldMute = controlpanel.volumecontrol.volumeslider._x;
    }
}

// The host's volume codes: "999" a step down, "1000" mute, "1001" a step up, "1002" unmute.
// Any of them wakes the panel.
function SetVolume(AValue) {
    fadedelay = 45;
    controlpanel._alpha = 100;
    LastXMouse = 0;
    LastYMouse = 0;
    var level = controlpanel.volumecontrol.volumeslider;
    if (AValue == "999") {
        level._x = Math.max(0, level._x - 2.5);
    }
    if (AValue == "1000") {
        level._x = 0;
    }
    if (AValue == "1001") {
        level._x = Math.min(27.5, level._x + 2.5);
    }
    if (AValue == "1002") {
        level._x = oldMute;
    }
    updatevolume();
}
