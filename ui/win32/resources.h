#pragma once
// Resource IDs of salle30.exe, shared by salle30.rc and the code. The
// pictures are rendered from ui/pictures/*.svg at build time.

// The padlock: the window's icon, and the program file's, which Windows
// takes from the icon with the lowest ID. Defined by the program resources
// of packaging/salle30.rc.in, with the version.
#define SALLE30_PICTURE_PADLOCK 1

// Tile pictures: icons holding 16 to 64 pixel images.
#define SALLE30_PICTURE_STOP 10
#define SALLE30_PICTURE_SESSION 11
#define SALLE30_PICTURE_USER 12
#define SALLE30_PICTURE_IDLE 13

// The buttons' computer, 24-bit bitmaps at 100, 150 and 200 % of 50 x 57.
#define SALLE30_PICTURE_COMPUTER_100 20
#define SALLE30_PICTURE_COMPUTER_150 21
#define SALLE30_PICTURE_COMPUTER_200 22
