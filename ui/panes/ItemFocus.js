.pragma library

// Moves the keyboard focus from `item` to the next item of the same kind (objectName prefix) along
// the Tab chain, or the previous one when `forward` is false; with `sameColumn`, to the nearest
// one straight below or above it in its grid. Where there is none, the focus stays put.
function move(item, forward, kind, sameColumn) {
    for (let next = item.nextItemInFocusChain(forward);
         next && next !== item && next.objectName.startsWith(kind);
         next = next.nextItemInFocusChain(forward)) {
        if (!sameColumn || Math.abs(next.x - item.x) < 1) {
            next.forceActiveFocus(Qt.TabFocusReason)
            return
        }
    }
}
