object startfenster: Tstartfenster
  Caption = 'Playlist w'#228'hlen'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  OnCreate = FormCreate
  OnClose = FormClose
end
