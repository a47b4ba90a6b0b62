tamori cartridge

__label__
0