  Text = 'Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal Long literal ' ! a physical line of more than 999 characters
  MESSAGE('xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxTail' &|
          'Joined after a full line')
  MESSAGE('Chain start ' &|
          'part 00 of a chain longer than a line ' &|
          'part 01 of a chain longer than a line ' &|
          'part 02 of a chain longer than a line ' &|
          'part 03 of a chain longer than a line ' &|
          'part 04 of a chain longer than a line ' &|
          'part 05 of a chain longer than a line ' &|
          'part 06 of a chain longer than a line ' &|
          'part 07 of a chain longer than a line ' &|
          'part 08 of a chain longer than a line ' &|
          'part 09 of a chain longer than a line ' &|
          'part 10 of a chain longer than a line ' &|
          'part 11 of a chain longer than a line ' &|
          'part 12 of a chain longer than a line ' &|
          'part 13 of a chain longer than a line ' &|
          'part 14 of a chain longer than a line ' &|
          'part 15 of a chain longer than a line ' &|
          'part 16 of a chain longer than a line ' &|
          'part 17 of a chain longer than a line ' &|
          'part 18 of a chain longer than a line ' &|
          'part 19 of a chain longer than a line ' &|
          'part 20 of a chain longer than a line ' &|
          'part 21 of a chain longer than a line ' &|
          'part 22 of a chain longer than a line ' &|
          'part 23 of a chain longer than a line ' &|
          'part 24 of a chain longer than a line ' &|
          'part 25 of a chain longer than a line ' &|
          'part 26 of a chain longer than a line ' &|
          'part 27 of a chain longer than a line ' &|
          'part 28 of a chain longer than a line ' &|
          'part 29 of a chain longer than a line ' &|
          'end of the chain.')
  MESSAGE('After the chain')
