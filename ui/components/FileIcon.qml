import QtQuick
import Ampa

// A file's icon by its type. The program's own folder drawing is a bare shape: coloured, so that a
// folder stands beside the file types' coloured icons rather than as a black blot.
Symbol {
    id: fileIcon
    property string path
    name: DesktopIcons.fileIcon(fileIcon.path)
    tint: fileIcon.name === "folder" ? Theme.folder : "transparent"
}
